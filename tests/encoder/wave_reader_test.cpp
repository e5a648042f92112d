// SPDX-License-Identifier: BSD-3-Clause
// What the encoder takes as input and what it refuses, with nothing written
// for a refused file.
#include "container/codec_error.h"
#include "encode/encoder.h"
#include "encode/wave_reader.h"
#include "io/memory_stream.h"
#include "tests/support/wave_fixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zem;

using namespace testing_support;

namespace {

void SetU16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void SetU32(Bytes& b, size_t at, uint32_t v) {
    SetU16(b, at, static_cast<uint16_t>(v));
    SetU16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

// Offsets in a wave built by BuildWave without extra chunks.
constexpr size_t kFormatTag = 20, kChannels = 22, kRate = 24, kBlockAlign = 32, kBits = 34, kDataSize = 40;

TEST(WaveInput, AcceptedFormatsAndTheirHeader) {
    for (uint16_t channels : {1, 2})
        for (uint16_t bits : {8, 16, 24}) {
            WaveShape shape;
            shape.channels = channels;
            shape.bitsPerSample = bits;
            shape.blocks = 10;
            Bytes wave = BuildWave(shape);
            CMemoryStream in(wave, true);
            WaveInput input;
            ASSERT_EQ(CODEC_OK, ReadWaveHeader(in, &input, nullptr));
            EXPECT_EQ(channels, input.format.nChannels);
            EXPECT_EQ(bits, input.format.wBitsPerSample);
            EXPECT_EQ(44u, input.header.size());
            EXPECT_TRUE(std::equal(input.header.begin(), input.header.end(), wave.begin()));
            EXPECT_EQ(10u * channels * bits / 8, input.dataBytes);
        }
}

TEST(WaveInput, RefusesWhatItCannotEncodeAndWritesNothing) {
    WaveShape shape;
    shape.blocks = 10;
    const Bytes good = BuildWave(shape);
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
        const char* reason;
    } cases[] = {
        {"empty", [](Bytes& b) { b.clear(); }, "not a RIFF/WAVE file"},
        {"not RIFF", [](Bytes& b) { b[0] = 'X'; }, "not a RIFF/WAVE file"},
        {"not WAVE", [](Bytes& b) { b[8] = 'X'; }, "not a RIFF/WAVE file"},
        {"float samples", [](Bytes& b) { SetU16(b, kFormatTag, 3); }, "the audio is not plain PCM"},
        {"three channels", [](Bytes& b) { SetU16(b, kChannels, 3); }, "only 1 or 2 channels can be encoded"},
        {"no channels", [](Bytes& b) { SetU16(b, kChannels, 0); }, "only 1 or 2 channels can be encoded"},
        {"32-bit", [](Bytes& b) { SetU16(b, kBits, 32); }, "only 8, 16 or 24 bits per sample can be encoded"},
        {"12-bit", [](Bytes& b) { SetU16(b, kBits, 12); }, "only 8, 16 or 24 bits per sample can be encoded"},
        {"block align", [](Bytes& b) { SetU16(b, kBlockAlign, 3); }, "the format chunk is inconsistent"},
        {"negative rate", [](Bytes& b) { SetU32(b, kRate, 0xFFF8AC44); }, "the sample rate is out of range"},
        {"rate past 4 GiB/s", [](Bytes& b) { SetU32(b, kRate, 0x40000000); }, "the sample rate is out of range"},
        {"short format", [](Bytes& b) { SetU32(b, 16, 14); }, "the format chunk is too short"},
        {"no data chunk", [](Bytes& b) { b.resize(36); }, "no data chunk"},
        {"partial block", [](Bytes& b) { SetU32(b, kDataSize, 39); }, "the data chunk does not hold whole sample frames"},
        {"huge chunk", [](Bytes& b) { SetU32(b, 16, 0x7FFFFFF0); }, "a chunk in front of the audio is damaged or too large"},
        {"data before format",
         [](Bytes& b) {
             Bytes moved(b.begin() + 36, b.end());
             moved.insert(moved.end(), b.begin() + 12, b.begin() + 36);
             b.resize(12);
             b.insert(b.end(), moved.begin(), moved.end());
         },
         "the data chunk comes before the format chunk"},
    };
    for (const Case& c : cases) {
        Bytes wave = good;
        c.damage(wave);
        CMemoryStream in(wave, true);
        CMemoryStream out;
        std::string reason;
        EncodeSettings settings;
        EXPECT_EQ(CODEC_BAD_INPUT, EncodeStream(in, out, settings, nullptr, &reason)) << c.name;
        EXPECT_EQ(c.reason, reason) << c.name;
        EXPECT_TRUE(out.Bytes().empty()) << c.name;
    }
}

// A writer that cannot seek back (one writing to a pipe) leaves the data size
// 0, 0xFFFFFFFF or a guess: the audio then runs to the end of the input, in
// whole blocks, and everything comes back byte for byte.
TEST(WaveInput, DataSizeUnknownToTheWriterRunsToTheEnd) {
    WaveShape shape;
    shape.blocks = 1000;
    const Bytes good = BuildWave(shape);  // 4000 bytes of audio
    struct Case {
        uint32_t dataSize;
        size_t cut;  // bytes taken off the end
        uint32_t dataBytes;
    } cases[] = {{0, 0, 4000},          {0xFFFFFFFF, 0, 4000}, {0x7FFFF000, 0, 4000},
                 {0xFFFFFFFC, 0, 4000}, {4004, 0, 4000},       {4000, 3, 3996},
                 {0xFFFFFFFF, 4000, 0}, {4000, 4000, 0}};
    for (const Case& c : cases) {
        Bytes wave(good.begin(), good.end() - static_cast<std::ptrdiff_t>(c.cut));
        SetU32(wave, kDataSize, c.dataSize);
        CMemoryStream in(wave, true);
        WaveInput input;
        ASSERT_EQ(CODEC_OK, ReadWaveHeader(in, &input, nullptr)) << c.dataSize;
        EXPECT_EQ(c.dataBytes, input.dataBytes) << c.dataSize << " cut " << c.cut;
        int result = -7;
        Bytes stream = EncodeWaveBytes(wave, 2000, 1, &result);
        ASSERT_EQ(CODEC_OK, result) << c.dataSize;
        EXPECT_TRUE(wave == DecodeToWave(stream, &result)) << c.dataSize << " cut " << c.cut;
    }
}

TEST(WaveInput, ExtensibleFormatNamingPcmIsTaken) {
    WaveShape shape;
    shape.blocks = 10;
    shape.bitsPerSample = 24;
    Bytes wave = BuildWave(shape);
    // Rewrite the format chunk as the 40-byte extensible record.
    Bytes extensible(wave.begin(), wave.begin() + 36);
    SetU32(extensible, 4, static_cast<uint32_t>(wave.size() - 8 + 24));
    SetU32(extensible, 16, 40);
    SetU16(extensible, kFormatTag, 0xFFFE);
    PutU16(extensible, 22);  // extra bytes
    PutU16(extensible, 24);  // valid bits
    PutU32(extensible, 3);   // channel mask
    PutU16(extensible, 1);   // sub-format: PCM, then the rest of its identifier
    for (int i = 0; i < 14; ++i)
        extensible.push_back(static_cast<uint8_t>(i));
    extensible.insert(extensible.end(), wave.begin() + 36, wave.end());
    int result = -7;
    Bytes stream = EncodeWaveBytes(extensible, 2000, 4, &result);
    EXPECT_EQ(CODEC_OK, result);
    EXPECT_TRUE(extensible == DecodeToWave(stream, &result));
    SetU16(extensible, 44, 3);  // a float sub-format is refused
    EncodeWaveBytes(extensible, 2000, 4, &result);
    EXPECT_EQ(CODEC_BAD_INPUT, result);
}

TEST(WaveInput, SettingsOutOfRangeAreRefused) {
    WaveShape shape;
    shape.blocks = 10;
    Bytes wave = BuildWave(shape);
    struct Case {
        int32_t level;
        int32_t blocksPerFrame;
    } cases[] = {{0, 100}, {1500, 100}, {6000, 100}, {-1000, 100}, {2000, 0}, {2000, -5}, {2000, 1 << 30}};
    for (const Case& c : cases) {
        int result = 0;
        EXPECT_TRUE(EncodeWaveBytes(wave, c.level, c.blocksPerFrame, &result).empty());
        EXPECT_EQ(CODEC_BAD_ARGUMENT, result) << c.level << " " << c.blocksPerFrame;
    }
}

}  // namespace
