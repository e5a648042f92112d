// SPDX-License-Identifier: BSD-3-Clause
// `zemtool decode`, `verify` and `info` on older streams: the same output,
// reports and exit codes as for current ones.
#include "tests/older_encoder/older_stream.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tool_tests {
namespace {

using namespace testing_support;

older_encoder::OlderStream OldStream(uint16_t version, uint16_t bits) {
    older_encoder::OlderStreamShape shape;
    shape.version = version;
    shape.level = 3000;
    shape.frames = 3;
    shape.bitsPerSample = bits;
    shape.finalFrameBlocks = 500;
    return older_encoder::BuildOlderStream(shape);
}

TEST(OlderCommands, DecodeWritesTheWaveFileOfAnOldStream) {
    TempDir dir;
    const auto stream = OldStream(3800, 16);
    const std::string path = WriteIn(dir, "old.zem", stream.file);
    for (const char* threads : {"1", "3"}) {
        RunResult r = RunTool({"decode", "-q", "--threads", threads, path, PathIn(dir, "old.wav")});
        EXPECT_EQ(ZEMTOOL_OK, r.exitCode) << r.err;
        const Bytes wave = ReadFileBytes(dir.File("old.wav"));
        ASSERT_EQ(44 + stream.pcm.size(), wave.size()) << threads;
        EXPECT_TRUE(std::equal(stream.pcm.begin(), stream.pcm.end(), wave.begin() + 44)) << threads;
    }
    RunResult verify = RunTool({"verify", "-q", path});
    EXPECT_EQ(ZEMTOOL_OK, verify.exitCode) << verify.err;
    RunResult info = RunTool({"info", path});
    EXPECT_EQ(ZEMTOOL_OK, info.exitCode);
    EXPECT_NE(std::string::npos, info.out.find("3800"));
}

// A damaged old frame is reported by number; its blocks are written as
// silence and the frames after it decode as usual.
TEST(OlderCommands, DamagedOldFrameIsReportedByNumber) {
    for (uint16_t bits : {16, 8}) {
        TempDir dir;
        const auto stream = OldStream(3850, bits);
        Bytes damaged = stream.file;
        damaged[stream.frameStarts[1] + 60] ^= 0x21;
        const std::string path = WriteIn(dir, "damaged.zem", damaged);
        RunResult verify = RunTool({"verify", "-q", path});
        EXPECT_EQ(ZEMTOOL_FAILED, verify.exitCode);
        EXPECT_EQ("zemtool: CODEC_BAD_CHECKSUM: " + path + ": frame 1 failed its check; its blocks are fill\n",
                  verify.err);
        RunResult decode = RunTool({"decode", "-q", path, PathIn(dir, "d.wav")});
        EXPECT_EQ(ZEMTOOL_FAILED, decode.exitCode);
        const Bytes wave = ReadFileBytes(dir.File("d.wav"));
        ASSERT_EQ(44 + stream.pcm.size(), wave.size());
        const size_t frame = size_t(stream.blocksPerFrame) * stream.blockAlign;
        const uint8_t silence = bits == 8 ? 128 : 0;  // 8-bit samples from 3831 are unsigned
        EXPECT_TRUE(std::equal(stream.pcm.begin(), stream.pcm.begin() + frame, wave.begin() + 44));
        EXPECT_TRUE(std::all_of(wave.begin() + 44 + frame, wave.begin() + 44 + 2 * frame,
                                [silence](uint8_t b) { return b == silence; }));
        EXPECT_TRUE(std::equal(stream.pcm.begin() + 2 * frame, stream.pcm.end(), wave.begin() + 44 + 2 * frame));
    }
}

}  // namespace
}  // namespace tool_tests
