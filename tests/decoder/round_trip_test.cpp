// SPDX-License-Identifier: BSD-3-Clause
// Encode then decode gives the wave file back byte for byte, over every level,
// channel count, sample size and kind of signal, with a short final frame.
#include "container/codec_error.h"
#include "tests/support/wave_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace zem;

using namespace testing_support;

namespace {

struct GridCase {
    int level;
    uint16_t channels;
    uint16_t bits;
    Signal signal;
};

std::string Name(const GridCase& c) {
    static const char* kSignals[] = {"music", "silence", "fullscale", "noise"};
    return std::to_string(c.level) + "/" + std::to_string(c.channels) + "ch/" + std::to_string(c.bits) + "bit/" +
           kSignals[static_cast<int>(c.signal)];
}

TEST(RoundTrip, EveryLevelChannelCountSampleSizeAndSignal) {
    // 2,500 blocks in frames of 1,024: two whole frames and a short final one.
    for (int level : {1000, 2000, 3000, 4000, 5000})
        for (uint16_t channels : {1, 2})
            for (uint16_t bits : {8, 16, 24})
                for (Signal signal : {Signal::Music, Signal::Silence, Signal::FullScale, Signal::Noise}) {
                    GridCase c{level, channels, bits, signal};
                    WaveShape shape;
                    shape.channels = channels;
                    shape.bitsPerSample = bits;
                    shape.blocks = 2500;
                    shape.signal = signal;
                    shape.seed = static_cast<uint32_t>(level + channels * 7 + bits);
                    Bytes wave = BuildWave(shape);
                    int result = -7;
                    Bytes stream = EncodeWaveBytes(wave, level, 1024, &result);
                    ASSERT_EQ(CODEC_OK, result) << Name(c);
                    Bytes back = DecodeToWave(stream, &result);
                    EXPECT_EQ(CODEC_OK, result) << Name(c);
                    ASSERT_EQ(wave.size(), back.size()) << Name(c);
                    EXPECT_TRUE(wave == back) << Name(c);
                }
}

// Chunks around the audio and bytes behind it come back too, and frames of
// one block, an empty data chunk and a frame size the data fills exactly.
TEST(RoundTrip, HeaderChunksTrailingBytesAndFrameSizes) {
    struct Case {
        uint32_t blocks;
        int32_t blocksPerFrame;
        bool extras;
    } cases[] = {{0, 1024, false}, {1, 1, true}, {7, 1, false}, {2048, 1024, true}, {1500, 294912, true}};
    for (const Case& c : cases) {
        WaveShape shape;
        shape.blocks = c.blocks;
        if (c.extras) {
            // An odd-sized chunk, padded to an even size.
            PutText(shape.extraChunk, "LIST");
            PutU32(shape.extraChunk, 5);
            PutText(shape.extraChunk, "hello");
            shape.extraChunk.push_back(0);
            shape.trailing = BytesOf("trailing bytes!");
        }
        Bytes wave = BuildWave(shape);
        int result = -7;
        Bytes stream = EncodeWaveBytes(wave, 3000, c.blocksPerFrame, &result);
        ASSERT_EQ(CODEC_OK, result) << c.blocks;
        EXPECT_TRUE(wave == DecodeToWave(stream, &result)) << c.blocks << " blocks in frames of " << c.blocksPerFrame;
        EXPECT_EQ(CODEC_OK, result);
    }
}

}  // namespace
