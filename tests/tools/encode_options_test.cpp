// SPDX-License-Identifier: BSD-3-Clause
// `zemtool encode --threads` and `--verify`: the same file for any thread
// count and with the check, and a check that fails leaves no file at all.
#include "api/test_seam.h"
#include "tests/support/wave_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zem;

namespace tool_tests {
namespace {

using namespace testing_support;

class EncodeOptions : public ::testing::Test {
protected:
    void SetUp() override {
        WaveShape shape;
        shape.bitsPerSample = 24;
        shape.blocks = 5000;
        wavePath = WriteIn(dir, "in.wav", BuildWave(shape));
    }
    RunResult Encode(const std::vector<std::string>& options, const std::string& name) {
        std::vector<std::string> args = {"encode", "-q", "--level", "4000", "--frame-blocks", "700"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(wavePath);
        args.push_back(PathIn(dir, name));
        return RunTool(args);
    }

    TempDir dir;
    std::string wavePath;
};

TEST_F(EncodeOptions, ThreadsAndVerifyWriteTheSameFile) {
    ASSERT_EQ(ZEMTOOL_OK, Encode({"--threads", "1"}, "one.zem").exitCode);
    const Bytes one = ReadFileBytes(dir.File("one.zem"));
    const std::vector<std::vector<std::string>> variants = {{}, {"--threads", "2"}, {"--threads", "5", "--verify"},
                                                            {"--verify"}};
    for (const auto& options : variants) {
        const RunResult result = Encode(options, "many.zem");
        ASSERT_EQ(ZEMTOOL_OK, result.exitCode) << result.err;
        EXPECT_EQ("", result.err);
        EXPECT_TRUE(one == ReadFileBytes(dir.File("many.zem"))) << options.size();
    }
}

// Frame 4's check word comes out wrong while it lives, in the encoder of
// libzem, through which zemtool encodes.
struct DamagedFrameFour {
    DamagedFrameFour() {
        zem_test_set_encoded_frame_tamper([](uint32_t frame, std::vector<uint8_t>& bytes) {
            if (frame == 4)
                bytes[0] ^= 1;
        });
    }
    ~DamagedFrameFour() { zem_test_set_encoded_frame_tamper(nullptr); }
};

TEST_F(EncodeOptions, FailedVerifyNamesTheFrameAndLeavesNothing) {
    DamagedFrameFour damage;
    WriteIn(dir, "old.zem", BytesOf("older file"));
    for (const char* threads : {"1", "3"}) {
        for (const char* target : {"new.zem", "old.zem"}) {
            const RunResult result = Encode({"--verify", "--threads", threads}, target);
            EXPECT_EQ(ZEMTOOL_FAILED, result.exitCode);
            EXPECT_EQ("zemtool: CODEC_BAD_CHECKSUM: '" + wavePath + "': frame 4 does not decode to its audio\n",
                      result.err);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.zem")));
    EXPECT_TRUE(BytesOf("older file") == ReadFileBytes(dir.File("old.zem")));
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("")))
        files += entry.is_regular_file();
    EXPECT_EQ(2u, files);  // in.wav and old.zem: no temporary file is left
}

TEST_F(EncodeOptions, VerifyIsAnEncodeOption) {
    const RunResult result = RunTool({"decode", "--verify", PathIn(dir, "x.zem"), PathIn(dir, "x.wav")});
    EXPECT_EQ(ZEMTOOL_USAGE, result.exitCode);
    EXPECT_NE(std::string::npos, result.err.find("unknown option '--verify'"));
}

}  // namespace
}  // namespace tool_tests
