// SPDX-License-Identifier: BSD-3-Clause
// `zemtool encode`, `decode` and `verify`: round trips through files and the
// standard streams, thread counts, link-file tracks, damaged frames.
#include "container/info_id.h"
#include "container/stream_info.h"
#include "io/memory_stream.h"
#include "tests/support/wave_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace zem;

namespace tool_tests {
namespace {

using namespace testing_support;

Bytes BytesOfText(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct Streams {
    int exitCode;
    std::string out;
    std::string err;
};

Streams RunWithInput(const std::vector<std::string>& args, const Bytes& input) {
    std::istringstream in(std::string(input.begin(), input.end()));
    std::ostringstream out, err;
    int code = RunZemtool(args, in, out, err);
    return {code, out.str(), err.str()};
}

class CodecCommands : public ::testing::Test {
protected:
    void SetUp() override {
        WaveShape shape;
        shape.blocks = 10000;
        shape.trailing = BytesOf("LIST-ish tail");
        wave = BuildWave(shape);
        wavePath = WriteIn(dir, "in.wav", wave);
        zemPath = PathIn(dir, "out.zem");
        RunResult r = RunTool({"encode", "--level", "3000", "--frame-blocks", "1024", "-q", wavePath, zemPath});
        ASSERT_EQ(ZEMTOOL_OK, r.exitCode) << r.err;
        EXPECT_EQ("", r.err);
    }

    TempDir dir;
    Bytes wave;
    std::string wavePath;
    std::string zemPath;
};

TEST_F(CodecCommands, DecodeGivesTheWaveFileBackOnAnyThreadCount) {
    for (const char* threads : {"1", "2", "5"}) {
        std::string back = PathIn(dir, std::string("back") + threads + ".wav");
        RunResult r = RunTool({"decode", "--threads", threads, zemPath, back});
        EXPECT_EQ(ZEMTOOL_OK, r.exitCode) << r.err;
        EXPECT_TRUE(wave == ReadFileBytes(dir.File(std::string("back") + threads + ".wav"))) << threads;
    }
    RunResult r = RunTool({"verify", "-q", zemPath});
    EXPECT_EQ(ZEMTOOL_OK, r.exitCode);
    EXPECT_EQ(zemPath + ": ok, 10000 blocks\n", r.out);
}

TEST_F(CodecCommands, StandardInputAndOutput) {
    Streams encoded = RunWithInput({"encode", "--level", "3000", "--frame-blocks", "1024", "-", "-"}, wave);
    ASSERT_EQ(ZEMTOOL_OK, encoded.exitCode) << encoded.err;
    EXPECT_TRUE(BytesOfText(encoded.out) == ReadFileBytes(dir.File("out.zem")));
    Streams decoded = RunWithInput({"decode", "--threads", "3", "-", "-"}, BytesOfText(encoded.out));
    ASSERT_EQ(ZEMTOOL_OK, decoded.exitCode) << decoded.err;
    EXPECT_TRUE(BytesOfText(decoded.out) == wave);
    Streams verified = RunWithInput({"verify", "-"}, BytesOfText(encoded.out));
    EXPECT_EQ(ZEMTOOL_OK, verified.exitCode);
}

// A wave file written to a pipe does not know its data size; read from
// standard input, its audio runs to the end and comes back byte for byte.
TEST_F(CodecCommands, StandardInputWithoutAKnownDataSize) {
    Bytes piped = wave;
    for (size_t at = 40; at < 44; ++at)
        piped[at] = 0xFF;  // data size 0xFFFFFFFF
    Streams encoded = RunWithInput({"encode", "--frame-blocks", "1024", "-", "-"}, piped);
    ASSERT_EQ(ZEMTOOL_OK, encoded.exitCode) << encoded.err;
    Streams decoded = RunWithInput({"decode", "-", "-"}, BytesOfText(encoded.out));
    ASSERT_EQ(ZEMTOOL_OK, decoded.exitCode) << decoded.err;
    EXPECT_TRUE(BytesOfText(decoded.out) == piped);
}

// A link file's track decodes to a 44-byte header and exactly its blocks.
TEST_F(CodecCommands, LinkFileTrackIsThatSliceOfTheImage) {
    struct Track {
        int64_t start;
        int64_t finish;
        int64_t first;
        int64_t last;
    } tracks[] = {{1000, 5000, 1000, 5000}, {1023, 1025, 1023, 1025}, {9000, -1, 9000, 10000}, {-5, 10, 0, 10}};
    const size_t kHeader = 44;
    for (const Track& t : tracks) {
        std::string link = WriteIn(dir, "track.zlk", LinkText("out.zem", t.start, t.finish));
        std::string back = PathIn(dir, "track.wav");
        for (const char* threads : {"1", "4"}) {
            RunResult r = RunTool({"decode", "--threads", threads, link, back});
            ASSERT_EQ(ZEMTOOL_OK, r.exitCode) << r.err;
            Bytes got = ReadFileBytes(dir.File("track.wav"));
            ASSERT_EQ(kHeader + (t.last - t.first) * 4, got.size()) << t.start;
            EXPECT_TRUE(std::equal(got.begin() + kHeader, got.end(), wave.begin() + kHeader + t.first * 4))
                << t.start << " on " << threads;
            EXPECT_EQ(uint32_t((t.last - t.first) * 4), uint32_t(got[40] | got[41] << 8 | got[42] << 16 | got[43] << 24));
        }
    }
}

// A damaged frame is reported by number, its blocks are still written (as
// fill), and the exit status says so.
TEST_F(CodecCommands, DamagedFrameIsReportedAndStillWritten) {
    Bytes stream = ReadFileBytes(dir.File("out.zem"));
    CMemoryStream io(stream, true);
    CStreamInfo info(&io, nullptr);
    stream[static_cast<size_t>(info.GetInfo(SeekByte, 4)) + 30] ^= 0xFF;
    std::string damaged = WriteIn(dir, "damaged.zem", stream);
    // The digest check, on a thread of its own, says nothing more: the frame's report is the whole report.
    for (const char* threads : {"1", "2"}) {
        SCOPED_TRACE(threads);
        RunResult verify = RunTool({"verify", "--threads", threads, damaged});
        EXPECT_EQ(ZEMTOOL_FAILED, verify.exitCode);
        EXPECT_EQ("zemtool: CODEC_BAD_CHECKSUM: " + damaged + ": frame 4 failed its check; its blocks are fill\n",
                  verify.err);
        RunResult decode = RunTool({"decode", "--threads", threads, damaged, PathIn(dir, "d.wav")});
        EXPECT_EQ(ZEMTOOL_FAILED, decode.exitCode);
        EXPECT_EQ(verify.err, decode.err);
    }
    Bytes got = ReadFileBytes(dir.File("d.wav"));
    ASSERT_EQ(wave.size(), got.size());
    size_t frame4 = 44 + 4 * 1024 * 4;
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + frame4, wave.begin()));
    EXPECT_TRUE(std::all_of(got.begin() + frame4, got.begin() + frame4 + 4096, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::equal(got.begin() + frame4 + 4096, got.end(), wave.begin() + frame4 + 4096));
}

// An 8-bit current stream's failed frame keeps the fill its decoder has
// always written, 127, on one thread as from standard input on several.
TEST_F(CodecCommands, DamagedEightBitFrameIsWrittenAsTheDecodersFill) {
    WaveShape shape;
    shape.bitsPerSample = 8;
    shape.channels = 1;
    shape.blocks = 1000;
    const Bytes eightBit = BuildWave(shape);
    Bytes stream = EncodeWaveBytes(eightBit, 2000, 256);
    CMemoryStream io(stream, true);
    CStreamInfo info(&io, nullptr);
    stream[static_cast<size_t>(info.GetInfo(SeekByte, 1)) + 20] ^= 0xFF;
    const std::string damaged = WriteIn(dir, "damaged8.zem", stream);
    ASSERT_EQ(ZEMTOOL_FAILED, RunTool({"decode", "--threads", "1", damaged, PathIn(dir, "d8.wav")}).exitCode);
    const Streams piped = RunWithInput({"decode", "--threads", "3", "-", "-"}, stream);
    const Bytes got = ReadFileBytes(dir.File("d8.wav"));
    EXPECT_EQ(got, BytesOfText(piped.out));
    ASSERT_EQ(eightBit.size(), got.size());
    const size_t frame1 = 44 + 256;
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + frame1, eightBit.begin()));
    EXPECT_TRUE(std::all_of(got.begin() + frame1, got.begin() + frame1 + 256, [](uint8_t b) { return b == 127; }));
    EXPECT_TRUE(std::equal(got.begin() + frame1 + 256, got.end(), eightBit.begin() + frame1 + 256));
}

TEST_F(CodecCommands, WrongCommandLinesAndInputs) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string errStart;
    } cases[] = {
        {{"encode", "-o", zemPath, wavePath, wavePath}, ZEMTOOL_USAGE, "zemtool: CODEC_BAD_ARGUMENT: -o takes one input"},
        {{"encode", "--level", "2500", wavePath, zemPath}, ZEMTOOL_USAGE, "zemtool: CODEC_BAD_ARGUMENT: --level takes"},
        {{"encode", "--frame-blocks", "0", wavePath, zemPath}, ZEMTOOL_USAGE, "zemtool: CODEC_BAD_ARGUMENT: --frame"},
        {{"decode", "--threads", "0", zemPath, "x.wav"}, ZEMTOOL_USAGE, "zemtool: CODEC_BAD_ARGUMENT: --threads"},
        {{"decode", "--threads"}, ZEMTOOL_USAGE, "zemtool: CODEC_BAD_ARGUMENT: '--threads' needs a value"},
        {{"verify"}, ZEMTOOL_USAGE, "zemtool: CODEC_BAD_ARGUMENT: no file given"},
        {{"encode", zemPath, PathIn(dir, "x.zem")}, ZEMTOOL_FAILED, "zemtool: CODEC_BAD_INPUT: '" + zemPath + "': not a RIFF/WAVE file"},
        {{"decode", wavePath, PathIn(dir, "x.wav")}, ZEMTOOL_FAILED, "zemtool: CODEC_BAD_INPUT: '" + wavePath + "' has no valid ZEM stream header: no stream start was found in it"},
        {{"verify", PathIn(dir, "missing.zem")}, ZEMTOOL_FAILED, "zemtool: CODEC_BAD_INPUT:"},
    };
    for (const Case& c : cases) {
        RunResult r = RunTool(c.args);
        EXPECT_EQ(c.exitCode, r.exitCode) << c.args[0] << " " << r.err;
        EXPECT_EQ(c.errStart, r.err.substr(0, c.errStart.size())) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.zem")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.zem.partial")));
    for (const char* command : {"encode", "decode", "verify"}) {
        RunResult help = RunTool({command, "--help"});
        EXPECT_EQ(ZEMTOOL_OK, help.exitCode);
        EXPECT_EQ("Usage: zemtool " + std::string(command), help.out.substr(0, 15 + strlen(command)));
    }
}

}  // namespace
}  // namespace tool_tests
