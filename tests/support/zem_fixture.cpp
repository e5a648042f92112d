// SPDX-License-Identifier: BSD-3-Clause
#include "tests/support/zem_fixture.h"

namespace testing_support {

namespace {

constexpr uint16_t kFirstDescriptorVersion = 3980;
constexpr uint16_t kFlagCreateWavHeader = 0x20;
constexpr uint32_t kDescriptorBytes = 52;
constexpr uint32_t kHeaderBytes = 24;
constexpr uint32_t kOldHeaderBytes = 32;

bool IsCurrent(const ZemFixture& f) { return f.version >= kFirstDescriptorVersion; }
bool StoresWaveHeader(const ZemFixture& f) { return !(f.formatFlags & kFlagCreateWavHeader); }
bool HasSeekBits(const ZemFixture& f) { return !IsCurrent(f) && f.version <= 3800; }

std::vector<uint32_t> NaturalSeekTable(uint32_t firstFrame, const std::vector<Bytes>& frames) {
    std::vector<uint32_t> table;
    uint32_t offset = firstFrame;
    for (const Bytes& frame : frames) {
        table.push_back(offset);
        offset += static_cast<uint32_t>(frame.size());
    }
    return table;
}

size_t SeekEntryCount(const ZemFixture& f) { return f.seekTable ? f.seekTable->size() : f.frames.size(); }

Bytes StoredWaveHeader(const ZemFixture& f) {
    if (!StoresWaveHeader(f))
        return {};
    if (f.storedWaveHeader)
        return *f.storedWaveHeader;
    const uint32_t blockAlign = FixtureBitsPerSample(f) / 8u * f.channels;
    return CanonicalWaveHeader(f.channels, FixtureBitsPerSample(f), f.sampleRate,
                               blockAlign * FixtureTotalBlocks(f), static_cast<uint32_t>(f.terminatingData.size()));
}

Bytes SeekBits(const ZemFixture& f) {
    if (f.seekBits)
        return *f.seekBits;
    Bytes bits;
    for (size_t i = 0; i < SeekEntryCount(f); ++i)
        bits.push_back(static_cast<uint8_t>(i & 31));
    return bits;
}

uint32_t FrameDataBytes(const ZemFixture& f) {
    uint32_t total = 0;
    for (const Bytes& frame : f.frames)
        total += static_cast<uint32_t>(frame.size());
    return total;
}

// Bytes from the stream start to the first frame.
uint32_t HeaderDataBytes(const ZemFixture& f, const Bytes& waveHeader) {
    const uint32_t seekBytes = static_cast<uint32_t>(SeekEntryCount(f) * 4);
    const uint32_t wave = static_cast<uint32_t>(waveHeader.size());
    if (IsCurrent(f))
        return kDescriptorBytes + f.descriptorExtraBytes + kHeaderBytes + f.headerExtraBytes + seekBytes + wave;
    uint32_t words = ((f.formatFlags & 0x4) ? 4u : 0u) + ((f.formatFlags & 0x10) ? 4u : 0u);
    uint32_t bits = HasSeekBits(f) ? static_cast<uint32_t>(SeekBits(f).size()) : 0u;
    return kOldHeaderBytes + words + wave + seekBytes + bits;
}

void PutSeekTable(Bytes& out, const std::vector<uint32_t>& table) {
    for (uint32_t entry : table)
        PutU32(out, entry);
}

void PutCurrentHeader(Bytes& out, const ZemFixture& f, const Bytes& wave, const std::vector<uint32_t>& table) {
    PutText(out, "QRB ");
    PutU16(out, f.version);
    PutU16(out, 0);
    PutU32(out, f.descriptorBytesField.value_or(kDescriptorBytes + f.descriptorExtraBytes));
    PutU32(out, f.headerBytesField.value_or(kHeaderBytes + f.headerExtraBytes));
    PutU32(out, f.seekTableBytesField.value_or(static_cast<uint32_t>(table.size() * 4)));
    PutU32(out, f.waveHeaderBytesField.value_or(static_cast<uint32_t>(wave.size())));
    PutU32(out, FrameDataBytes(f));
    PutU32(out, 0);
    PutU32(out, f.terminatingBytesField.value_or(static_cast<uint32_t>(f.terminatingData.size())));
    out.insert(out.end(), 16 + f.descriptorExtraBytes, 0xEE);  // digest, then the extra bytes
    PutU16(out, f.compressionLevel);
    PutU16(out, f.formatFlags);
    PutU32(out, f.blocksPerFrame);
    PutU32(out, f.finalFrameBlocks);
    PutU32(out, FixtureTotalFrames(f));
    PutU16(out, f.bitsPerSample);
    PutU16(out, f.channels);
    PutU32(out, f.sampleRate);
    out.insert(out.end(), f.headerExtraBytes, 0xDD);
    PutSeekTable(out, table);
    out.insert(out.end(), wave.begin(), wave.end());
}

void PutOldHeader(Bytes& out, const ZemFixture& f, const Bytes& wave, const std::vector<uint32_t>& table) {
    PutText(out, "QRB ");
    PutU16(out, f.version);
    PutU16(out, f.compressionLevel);
    PutU16(out, f.formatFlags);
    PutU16(out, f.channels);
    PutU32(out, f.sampleRate);
    PutU32(out, f.waveHeaderBytesField.value_or(static_cast<uint32_t>(wave.size())));
    PutU32(out, f.terminatingBytesField.value_or(static_cast<uint32_t>(f.terminatingData.size())));
    PutU32(out, FixtureTotalFrames(f));
    PutU32(out, f.finalFrameBlocks);
    if (f.formatFlags & 0x4)
        PutU32(out, f.peakLevel);
    if (f.formatFlags & 0x10)
        PutU32(out, f.seekCountField.value_or(static_cast<uint32_t>(table.size())));
    out.insert(out.end(), wave.begin(), wave.end());
    PutSeekTable(out, table);
    if (HasSeekBits(f)) {
        Bytes bits = SeekBits(f);
        out.insert(out.end(), bits.begin(), bits.end());
    }
}

}  // namespace

std::vector<Bytes> ZemFixture::FakeFrames(const std::vector<uint32_t>& sizes) {
    std::vector<Bytes> frames;
    for (size_t i = 0; i < sizes.size(); ++i) {
        Bytes frame(sizes[i]);
        for (size_t j = 0; j < frame.size(); ++j)
            frame[j] = static_cast<uint8_t>(0x80 + i * 7 + j);
        frames.push_back(std::move(frame));
    }
    return frames;
}

Bytes BuildId3v2Prefix(const Id3v2Prefix& prefix) {
    Bytes out;
    if (prefix.present) {
        PutText(out, "ID3");
        out.push_back(4);  // major version
        out.push_back(0);
        out.push_back(prefix.footerFlag ? 0x10 : 0x00);
        for (int shift = 21; shift >= 0; shift -= 7)
            out.push_back(static_cast<uint8_t>((prefix.lengthField >> shift) & 0x7F));
        const uint32_t body = prefix.bodyBytes.value_or(prefix.lengthField + (prefix.footerFlag ? 10 : 0));
        out.insert(out.end(), body, 0x55);
    }
    out.insert(out.end(), prefix.zeroPadding, 0);
    return out;
}

Bytes CanonicalWaveHeader(uint16_t channels, uint16_t bitsPerSample, uint32_t sampleRate, uint32_t dataBytes,
                          uint32_t terminatingBytes) {
    const uint16_t blockAlign = static_cast<uint16_t>(bitsPerSample / 8 * channels);
    Bytes out;
    PutText(out, "RIFF");
    PutU32(out, dataBytes + terminatingBytes + 36);
    PutText(out, "WAVEfmt ");
    PutU32(out, 16);
    PutU16(out, 1);
    PutU16(out, channels);
    PutU32(out, sampleRate);
    PutU32(out, blockAlign * sampleRate);
    PutU16(out, blockAlign);
    PutU16(out, bitsPerSample);
    PutText(out, "data");
    PutU32(out, dataBytes);
    return out;
}

uint32_t OldFixtureBlocksPerFrame(uint16_t version, uint16_t compressionLevel) {
    if (version >= 3950)
        return 294912;
    if (version >= 3900 || (version >= 3800 && compressionLevel == 4000))
        return 73728;
    return 9216;
}

uint32_t FixtureBlocksPerFrame(const ZemFixture& f) {
    return IsCurrent(f) ? f.blocksPerFrame : OldFixtureBlocksPerFrame(f.version, f.compressionLevel);
}

uint16_t FixtureBitsPerSample(const ZemFixture& f) {
    if (IsCurrent(f))
        return f.bitsPerSample;
    return (f.formatFlags & 0x1) ? 8 : (f.formatFlags & 0x8) ? 24 : 16;
}

uint32_t FixtureTotalFrames(const ZemFixture& f) {
    return f.totalFrames.value_or(static_cast<uint32_t>(f.frames.size()));
}

uint32_t FixtureTotalBlocks(const ZemFixture& f) {
    const uint32_t frames = FixtureTotalFrames(f);
    return frames == 0 ? 0 : (frames - 1) * FixtureBlocksPerFrame(f) + f.finalFrameBlocks;
}

ZemFile BuildZemFile(const ZemFixture& f) {
    ZemFile file;
    file.bytes = BuildId3v2Prefix(f.id3);
    file.bytes.insert(file.bytes.end(), f.junk.begin(), f.junk.end());
    file.streamStart = static_cast<uint32_t>(file.bytes.size());

    const Bytes wave = StoredWaveHeader(f);
    const uint32_t headerData = HeaderDataBytes(f, wave);
    const std::vector<uint32_t> natural = NaturalSeekTable(headerData, f.frames);
    const std::vector<uint32_t>& table = f.seekTable ? *f.seekTable : natural;
    if (IsCurrent(f))
        PutCurrentHeader(file.bytes, f, wave, table);
    else
        PutOldHeader(file.bytes, f, wave, table);

    file.headerEnd = static_cast<uint32_t>(file.bytes.size());
    for (uint32_t offset : natural)
        file.frameOffsets.push_back(file.streamStart + offset);
    for (const Bytes& frame : f.frames)
        file.bytes.insert(file.bytes.end(), frame.begin(), frame.end());
    file.terminatingStart = static_cast<uint32_t>(file.bytes.size());
    file.bytes.insert(file.bytes.end(), f.terminatingData.begin(), f.terminatingData.end());
    file.bytes.insert(file.bytes.end(), f.trailer.begin(), f.trailer.end());
    return file;
}

ZemFixture CurrentZemFixture(uint16_t version) {
    ZemFixture f;
    f.version = version;
    return f;
}

ZemFixture OldZemFixture(uint16_t version) {
    ZemFixture f;
    f.version = version;
    f.compressionLevel = 2000;
    f.blocksPerFrame = OldFixtureBlocksPerFrame(version, f.compressionLevel);
    return f;
}

}  // namespace testing_support
