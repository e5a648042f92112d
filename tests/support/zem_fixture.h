// SPDX-License-Identifier: BSD-3-Clause
// Builders of synthetic ZEM files for tests and fuzz seeds. A ZemFixture
// describes the file; its defaults make a small, valid version 3990 stream of
// three fake frames. Change fields to make other layouts or hostile headers:
// every length the header declares can be overridden independently of what
// is actually written.
#pragma once

#include "tests/support/test_files.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace testing_support {

// An ID3v2 block in front of the stream.
struct Id3v2Prefix {
    bool present = false;
    uint32_t lengthField = 0;     // 28-bit length, written as four 7-bit groups
    bool footerFlag = false;      // bit 4 of byte 5
    // Bytes written behind the 10-byte block header; by default the length
    // (plus 10 for the footer when the flag is set). Filled with 0x55.
    std::optional<uint32_t> bodyBytes;
    uint32_t zeroPadding = 0;     // zero bytes behind the block
};

struct ZemFixture {
    // In front of the stream start.
    Id3v2Prefix id3;
    Bytes junk;                   // written after the ID3v2 block and its padding

    // Header fields. Versions from 3980 on get a descriptor and a header,
    // older ones the 32-byte old header.
    uint16_t version = 3990;
    uint16_t compressionLevel = 2000;
    uint16_t formatFlags = 0;     // 0x4 / 0x10 add the old header's optional words
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;  // current headers only; old ones use flags 0x1 / 0x8
    uint32_t sampleRate = 44100;
    uint32_t blocksPerFrame = 73728;  // current headers only; old ones derive it
    uint32_t finalFrameBlocks = 4096;
    std::optional<uint32_t> totalFrames;  // default: frames.size()

    // The frames: payload bytes of each one, back to back after the header data.
    std::vector<Bytes> frames = FakeFrames({300, 200, 100});
    // Default: the offset of each frame from the stream start.
    std::optional<std::vector<uint32_t>> seekTable;
    // Versions 3800 and below; default: frame number & 31 for each seek table entry.
    std::optional<Bytes> seekBits;
    // Default: a canonical 44-byte header matching the fields; never written with flag 0x20.
    std::optional<Bytes> storedWaveHeader;
    Bytes terminatingData;        // behind the frames
    Bytes trailer;                // last in the file (for example a tag)

    // Current headers: extra bytes behind the 52-byte descriptor and the 24-byte header.
    uint32_t descriptorExtraBytes = 0;
    uint32_t headerExtraBytes = 0;
    // Old headers: the optional words behind the 32 bytes.
    uint32_t peakLevel = 0;               // written with flag 0x4
    std::optional<uint32_t> seekCountField;  // written with flag 0x10; default: seek table size

    // Raw overrides of declared values, for hostile headers.
    std::optional<uint32_t> descriptorBytesField;
    std::optional<uint32_t> headerBytesField;
    std::optional<uint32_t> seekTableBytesField;
    std::optional<uint32_t> waveHeaderBytesField;
    std::optional<uint32_t> terminatingBytesField;

    // Frames of the given sizes filled with a recognisable pattern.
    static std::vector<Bytes> FakeFrames(const std::vector<uint32_t>& sizes);
};

// Where things ended up in a built file.
struct ZemFile {
    Bytes bytes;
    uint32_t streamStart = 0;     // the junk length
    uint32_t headerEnd = 0;       // file offset behind the last header data (the first frame)
    std::vector<uint32_t> frameOffsets;  // file offsets of the frames
    uint32_t terminatingStart = 0;       // file offset of the terminating data
};

ZemFile BuildZemFile(const ZemFixture& fixture);
inline Bytes BuildZemBytes(const ZemFixture& fixture) { return BuildZemFile(fixture).bytes; }

// Starting points: a valid current (>= 3980) or old (< 3980) stream.
ZemFixture CurrentZemFixture(uint16_t version = 3990);
ZemFixture OldZemFixture(uint16_t version = 3950);

// The pieces on their own.
Bytes BuildId3v2Prefix(const Id3v2Prefix& prefix);
Bytes CanonicalWaveHeader(uint16_t channels, uint16_t bitsPerSample, uint32_t sampleRate, uint32_t dataBytes,
                          uint32_t terminatingBytes);
// Blocks per frame that old headers imply.
uint32_t OldFixtureBlocksPerFrame(uint16_t version, uint16_t compressionLevel);
// Blocks and bits per sample as a reader derives them for `fixture`.
uint32_t FixtureBlocksPerFrame(const ZemFixture& fixture);
uint16_t FixtureBitsPerSample(const ZemFixture& fixture);
uint32_t FixtureTotalFrames(const ZemFixture& fixture);
uint32_t FixtureTotalBlocks(const ZemFixture& fixture);

}  // namespace testing_support
