// SPDX-License-Identifier: BSD-3-Clause
// The media source's PCM runs: decoded blocks up to a frame's end, silence of
// exactly a failed frame's length (flagged once, with its size), positions.
#include "mfsource/pcm_reader.h"

#include "tests/support/test_files.h"
#include "tests/support/wave_fixture.h"

#include <gtest/gtest.h>

using namespace mfsource;
using namespace testing_support;

namespace {

// A stereo 16-bit stream of 4 frames of 1000 blocks, the third damaged when asked.
Bytes Stream(bool damaged) {
    WaveShape shape;
    shape.channels = 2;
    shape.bitsPerSample = 16;
    shape.sampleRate = 8000;
    shape.blocks = 4000;
    Bytes stream = EncodeWaveBytes(BuildWave(shape), 2000, 1000);
    if (damaged) {
        // Frames lie in order: a byte three quarters into the stream sits in the third frame's data.
        stream[stream.size() * 5 / 8] ^= 0x41;
    }
    return stream;
}

std::vector<PcmRun> AllRuns(const Bytes& stream, uint64_t maxBlocks) {
    PcmReader reader(zem_open_memory(stream.data(), stream.size(), nullptr));
    std::vector<PcmRun> runs;
    for (PcmRun run; reader.Next(maxBlocks, run) && run.blocks != 0;) runs.push_back(run);
    EXPECT_EQ(4000u, reader.Position());
    return runs;
}

TEST(PcmReader, RunsStopAtFrameEndsAndCoverEveryBlock) {
    const std::vector<PcmRun> runs = AllRuns(Stream(false), 600);
    const uint64_t expected[][2] = {{0, 600}, {600, 400}, {1000, 600}, {1600, 400},
                                    {2000, 600}, {2600, 400}, {3000, 600}, {3600, 400}};
    ASSERT_EQ(8u, runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(expected[i][0], runs[i].first);
        EXPECT_EQ(expected[i][1], runs[i].blocks);
        EXPECT_EQ(runs[i].blocks * 4, runs[i].bytes.size());
        EXPECT_FALSE(runs[i].silent);
    }
}

TEST(PcmReader, AFailedFrameIsSilenceOfItsLengthReportedOnce) {
    const Bytes good = Stream(false), bad = Stream(true);
    const std::vector<PcmRun> runs = AllRuns(bad, 300);
    uint64_t silent = 0, reported = 0, next = 0;
    for (const PcmRun& run : runs) {
        EXPECT_EQ(next, run.first);
        next += run.blocks;
        if (!run.silent) continue;
        silent += run.blocks;
        reported += run.damagedBlocks;
        EXPECT_EQ(Bytes(run.bytes.size(), 0), run.bytes);
    }
    EXPECT_EQ(1000u, silent);
    EXPECT_EQ(1000u, reported);
    EXPECT_EQ(4000u, next);
}

TEST(PcmReader, SeeksWithinTheStreamOnly) {
    const Bytes stream = Stream(false);
    PcmReader reader(zem_open_memory(stream.data(), stream.size(), nullptr));
    EXPECT_FALSE(reader.Seek(4001));
    ASSERT_TRUE(reader.Seek(3999));
    PcmRun run;
    ASSERT_TRUE(reader.Next(100, run));
    EXPECT_EQ(3999u, run.first);
    EXPECT_EQ(1u, run.blocks);
    ASSERT_TRUE(reader.Next(100, run));
    EXPECT_EQ(0u, run.blocks);
}

}  // namespace
