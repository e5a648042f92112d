// SPDX-License-Identifier: BSD-3-Clause
// Damaged streams are refused or reported by info, decode and verify alike,
// never taken as success: the shared inputs that exposed such faults, and
// header damage that every frame's own check lets through.
#include "tests/support/wave_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace tool_tests {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

fs::path ReproFolder() {
    for (fs::path candidate : {fs::path(ZEM_SOURCE_DIR) / ".." / "shared" / "repro", fs::path("/work/shared/repro")}) {
        if (fs::is_directory(candidate))
            return candidate;
    }
    return fs::path();
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// info, verify and decode all fail with `reason`, and decode writes nothing.
void ExpectRefusedByEveryCommand(const std::string& path, const std::string& reason) {
    TempDir dir;
    const std::string out = PathIn(dir, "out.wav");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"info", path}, {"verify", "-q", path},
                                                 {"decode", "-q", path, out}}) {
        RunResult r = RunTool(args);
        EXPECT_EQ(ZEMTOOL_FAILED, r.exitCode) << args[0] << " " << path;
        EXPECT_TRUE(Contains(r.err, "CODEC_BAD_INPUT: ") && Contains(r.err, reason)) << args[0] << ": " << r.err;
        EXPECT_EQ("", r.out) << args[0];
    }
    EXPECT_FALSE(fs::exists(out)) << path;
}

TEST(DamagedStreams, SharedInputsWithImpossibleHeadersAreRefused) {
    const fs::path repro = ReproFolder();
    if (repro.empty())
        GTEST_SKIP() << "shared repro folder not found";
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"huge-frame-count.zem", "it claims more audio than a wave file holds"},
        {"header-byte71.zem", "its channels or bits per sample are impossible"},
        {"header-byte8.zem", "its compression level is unknown"},
        {"bad-trailer-length.zem", "its trailer is longer than the file holds behind the frames"},
    };
    for (const auto& c : cases)
        ExpectRefusedByEveryCommand((repro / c.file).u8string(), c.reason);
}

// A wave file whose data size claims 0xFFFFFFFC bytes: the audio is what the
// file holds, with one block per frame the seek table stays that small.
TEST(DamagedStreams, WaveWithAHugeDataSizeEncodesWhatItHolds) {
    const fs::path repro = ReproFolder();
    if (repro.empty())
        GTEST_SKIP() << "shared repro folder not found";
    TempDir dir;
    const std::string wave = (repro / "huge-data-size.wav").u8string();
    const std::string zem = PathIn(dir, "out.zem");
    RunResult r = RunTool({"encode", "-q", "--frame-blocks", "1", wave, zem});
    ASSERT_EQ(ZEMTOOL_OK, r.exitCode) << r.err;
    EXPECT_FALSE(fs::exists(dir.File("out.zem.partial")));
    EXPECT_EQ(ZEMTOOL_OK, RunTool({"verify", "-q", zem}).exitCode);
    ASSERT_EQ(ZEMTOOL_OK, RunTool({"decode", "-q", zem, PathIn(dir, "back.wav")}).exitCode);
    EXPECT_TRUE(ReadFileBytes(repro / "huge-data-size.wav") == ReadFileBytes(dir.File("back.wav")));
}

// Offsets in a version 3990 stream as the encoder writes it.
constexpr size_t kTrailerField = 32, kDigest = 36, kSeekTableField = 16, kTotalFrames = 52 + 12;

void AddToU32(Bytes& b, size_t at, uint32_t add) {
    uint32_t v = uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
    v += add;
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(DamagedStreams, HeaderDamageThatFramesDoNotShowIsReported) {
    WaveShape shape;
    shape.blocks = 20000;  // several runs of frames, so that two threads decode on two workers
    shape.trailing = BytesOf("trailing chunk");
    int result = -7;
    const Bytes stream = EncodeWaveBytes(BuildWave(shape), 2000, 1024, &result);
    ASSERT_EQ(0, result);
    const char* const kDigestFails = "the decoded wave file does not match the MD5 digest the stream stores";
    const struct {
        const char* name;
        std::function<void(Bytes&)> damage;
        bool refused;        // by every command; otherwise info takes it and the digest fails
        const char* reason;
    } cases[] = {
        {"no frames", [](Bytes& b) { b[kTotalFrames] = 0; }, true, "it has a seek table but no frames"},
        {"seek table of 13 bytes", [](Bytes& b) { b[kSeekTableField] = 13; }, true, "its header is damaged"},
        {"digest", [](Bytes& b) { b[kDigest + 4] ^= 1; }, false, kDigestFails},
        {"trailer a byte longer", [](Bytes& b) { AddToU32(b, kTrailerField, 1); }, false, kDigestFails},
        {"trailer a byte shorter", [](Bytes& b) { AddToU32(b, kTrailerField, 0xFFFFFFFF); }, false, kDigestFails},
    };
    for (const auto& c : cases) {
        TempDir dir;
        Bytes damaged = stream;
        c.damage(damaged);
        const std::string path = WriteIn(dir, "damaged.zem", damaged);
        if (c.refused) {
            ExpectRefusedByEveryCommand(path, c.reason);
            continue;
        }
        EXPECT_EQ(ZEMTOOL_OK, RunTool({"info", path}).exitCode) << c.name;
        for (const char* threads : {"1", "2"}) {
            for (const std::vector<std::string>& args :
                 {std::vector<std::string>{"verify", "-q", "--threads", threads, path},
                  {"decode", "-q", "--threads", threads, path, PathIn(dir, "out.wav")}}) {
                RunResult r = RunTool(args);
                EXPECT_EQ(ZEMTOOL_FAILED, r.exitCode) << c.name << " " << args[0] << " " << threads;
                EXPECT_EQ("zemtool: CODEC_BAD_CHECKSUM: " + path + ": " + c.reason + "\n", r.err) << c.name;
            }
        }
    }
}

}  // namespace
}  // namespace tool_tests
