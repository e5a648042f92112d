// SPDX-License-Identifier: BSD-3-Clause
// Everything the header reader learns about a ZEM stream, plus the values
// derived from it. Counts and sizes are signed 32-bit like the fields on disk;
// derived values that overflow wrap around the way a 32-bit field would.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zem {

struct StreamInfoRecord {
    int32_t version = 0;
    int32_t compressionLevel = 0;
    int32_t formatFlags = 0;
    int32_t totalFrames = 0;
    int32_t blocksPerFrame = 0;
    int32_t finalFrameBlocks = 0;
    int32_t channels = 0;
    int32_t sampleRate = 0;
    int32_t bitsPerSample = 0;
    int32_t bytesPerSample = 0;
    int32_t blockAlign = 0;

    int32_t waveHeaderBytes = 0;       // 44 when the header is synthesised (flag 0x20)
    int32_t waveDataBytes = 0;
    int32_t waveTerminatingBytes = 0;  // trailing bytes of the source wave file
    int32_t waveTotalBytes = 0;

    int32_t fileBytes = 0;
    int32_t totalBlocks = 0;
    int32_t lengthMs = 0;
    int32_t averageBitrate = 0;        // kilobits per second
    int32_t decompressedBitrate = 0;   // kilobits per second

    int32_t junkBytes = 0;             // bytes in front of the stream start
    int32_t seekTableEntries = 0;
    std::vector<uint32_t> seekTable;   // frame offsets from the stream start
    std::vector<uint8_t> seekBitTable; // versions 3800 and below only
    std::vector<uint8_t> storedWaveHeader;  // empty with flag 0x20
    std::vector<uint8_t> descriptor;   // the 52 descriptor bytes, version 3980 and later
};

// Bits of the format flags word.
enum FormatFlag : int32_t {
    FORMAT_FLAG_8_BIT_SAMPLES = 0x1,            // old headers only
    FORMAT_FLAG_FRAME_CHECK_WORD = 0x2,         // how the older decoder reads a frame's check value
    FORMAT_FLAG_PEAK_LEVEL_WORD = 0x4,          // old headers: a peak level follows the header
    FORMAT_FLAG_24_BIT_SAMPLES = 0x8,           // old headers only
    FORMAT_FLAG_SEEK_COUNT_WORD = 0x10,         // old headers: a seek table entry count follows
    FORMAT_FLAG_SYNTHESISED_WAVE_HEADER = 0x20, // no wave header stored; a canonical one stands in
};

// Header layout thresholds of the stream version.
constexpr int32_t kFirstDescriptorVersion = 3980;  // descriptor + header from here on
constexpr int32_t kLastSeekBitVersion = 3800;      // seek bit table up to here
constexpr int32_t kFirstFrameDecoderVersion = 3930;  // decoded by CFrameDecoder from here on

// The largest frame a stream may have (and the encoder writes), in bytes of decoded audio.
constexpr int64_t kMaxFramePcmBytes = int64_t(1) << 26;

}  // namespace zem
