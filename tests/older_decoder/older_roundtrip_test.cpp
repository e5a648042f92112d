// SPDX-License-Identifier: BSD-3-Clause
// Streams of every older version band, level, channel count and sample size,
// encoded by the test encoder, decode to exactly the samples they were made
// from: both streams built from random residuals and streams built from PCM
// through the forward filters.
#include "tests/older_decoder/older_decode.h"
#include "tests/older_encoder/older_stream.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using older_encoder::BuildOlderStream;
using older_encoder::OlderStreamShape;
using older_tests::OpenOlder;

// One version from each band in which a reconstruction or the coding changes.
const uint16_t kVersions[] = {3300, 3320, 3600, 3700, 3800, 3810, 3830, 3831, 3860, 3881, 3890, 3900, 3910, 3920};
const uint16_t kLevels[] = {1000, 2000, 3000, 4000};

std::string Describe(const OlderStreamShape& s) {
    return "version " + std::to_string(s.version) + " level " + std::to_string(s.level) + " channels " +
           std::to_string(s.channels) + " bits " + std::to_string(s.bitsPerSample) +
           (s.crcChecks ? " crc" : " sum") + (s.samplesFirst ? " from samples" : " from residuals");
}

// Every version, level and layout (stereo 16-bit, stereo 8-bit, mono 16-bit)
// from PCM; from random residuals one layout of each version and level in turn.
std::vector<OlderStreamShape> GridShapes() {
    std::vector<OlderStreamShape> shapes;
    uint32_t seed = 1;
    for (uint16_t version : kVersions)
        for (uint16_t level : kLevels)
            for (int layout = 0; layout < 3; ++layout)
                for (bool samplesFirst : {true, false}) {
                    if (!samplesFirst && layout != (version / 10 + level / 1000) % 3)
                        continue;
                    OlderStreamShape shape;
                    shape.samplesFirst = samplesFirst;
                    shape.version = version;
                    shape.level = level;
                    shape.channels = layout == 2 ? 1 : 2;
                    shape.bitsPerSample = layout == 1 ? 8 : 16;
                    // From 3900 a frame can only carry a CRC check word.
                    shape.crcChecks = (seed % 2) == 0 || version >= 3900;
                    shape.seed = seed++;
                    shape.finalFrameBlocks = 300 + seed % 7;
                    // Frames of 73,728 blocks (level 4000 from 3800, everything from
                    // 3900): one short frame each here; long frames have a test of their own.
                    shape.frames = (level == 4000 && version >= 3800) || version >= 3900 ? 1 : 2;
                    shapes.push_back(shape);
                }
    return shapes;
}

TEST(OlderRoundTrip, EveryVersionBandLevelAndLayoutDecodesExactly) {
    for (const OlderStreamShape& shape : GridShapes()) {
        const auto stream = BuildOlderStream(shape);
        OpenOlder open(stream.file);
        ASSERT_EQ(CODEC_OK, open.openError) << Describe(shape);
        ASSERT_EQ(CODEC_OK, open.constructError) << Describe(shape);
        int result = -7;
        const auto pcm = open.ReadAll(4000, &result);
        EXPECT_EQ(CODEC_OK, result) << Describe(shape);
        EXPECT_EQ(stream.totalBlocks * stream.blockAlign, pcm.size()) << Describe(shape);
        EXPECT_TRUE(pcm == stream.pcm) << Describe(shape);
    }
}

// Two frames of 73,728 blocks made from PCM: positioned by seek byte and bit
// (3800), and range coded frame after frame (3910).
TEST(OlderRoundTrip, LongFrames) {
    const struct {
        uint16_t version, level, channels;
    } rows[] = {{3800, 4000, 1}, {3910, 2000, 2}};
    for (const auto& row : rows) {
        OlderStreamShape shape;
        shape.version = row.version;
        shape.level = row.level;
        shape.channels = row.channels;
        shape.crcChecks = true;
        shape.samplesFirst = true;
        shape.finalFrameBlocks = 1000;
        const auto stream = BuildOlderStream(shape);
        ASSERT_EQ(73728u, stream.blocksPerFrame);
        OpenOlder open(stream.file, 73000, 74000);
        int result = -7;
        const auto pcm = open.ReadAll(4096, &result);
        EXPECT_EQ(CODEC_OK, result) << row.version;
        const size_t align = stream.blockAlign;
        EXPECT_TRUE(pcm == older_tests::Bytes(stream.pcm.begin() + 73000 * align, stream.pcm.begin() + 74000 * align))
            << row.version;
    }
}

}  // namespace
