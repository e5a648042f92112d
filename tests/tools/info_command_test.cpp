// SPDX-License-Identifier: BSD-3-Clause
// `zemtool info`: the person-readable lines, the JSON object and the failures.
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

namespace tool_tests {
namespace {

using testing_support::Bytes;
using testing_support::TempDir;
using testing_support::ZemFixture;

using JsonMembers = std::map<std::string, JsonValue>;

// Every key of `info --json`, in the order it is printed.
const std::vector<std::string> kStreamKeys = {
    "File",           "Version",         "CompressionLevel", "FormatFlags",        "SampleRate",
    "BitsPerSample",  "BytesPerSample",  "Channels",         "BlockAlign",         "BlocksPerFrame",
    "FinalFrameBlocks", "TotalFrames",   "WavHeaderBytes",   "WavTrailerBytes",    "WavDataBytes",
    "WavTotalBytes",  "FileBytes",       "TotalBlocks",      "LengthMs",           "AverageBitrate",
    "DecompressedBitrate", "PeakLevel",  "DecoderTotalBlocks", "DecoderLengthMs", "DecoderAverageBitrate"};

class InfoCommandTest : public ::testing::Test {
protected:
    JsonMembers InfoJson(const std::string& path, std::vector<std::string>* order = nullptr) {
        const RunResult result = RunTool({"info", "--json", path});
        EXPECT_EQ(result.exitCode, ZEMTOOL_OK) << result.err;
        EXPECT_EQ(result.err, "");
        JsonMembers members;
        std::vector<std::string> keys;
        EXPECT_TRUE(ParseFlatJson(result.out, members, keys)) << result.out;
        if (order)
            *order = keys;
        return members;
    }

    // The value printed behind `label` in the text form; fails when absent.
    static std::string TextValue(const std::string& text, const std::string& label) {
        for (const std::string& line : Lines(text)) {
            if (line.compare(0, label.size() + 1, label + ":") == 0) {
                const size_t start = line.find_first_not_of(' ', label.size() + 1);
                return start == std::string::npos ? "" : line.substr(start);
            }
        }
        ADD_FAILURE() << "no line " << label << " in:\n" << text;
        return {};
    }

    TempDir m_dir;
};

TEST_F(InfoCommandTest, JsonNamesEveryWholeStreamQueryAndAnswersFromTheHeader) {
    ZemFixture f = testing_support::CurrentZemFixture(3990);
    f.sampleRate = 48000;
    f.channels = 1;
    f.bitsPerSample = 24;
    f.compressionLevel = 4000;
    f.finalFrameBlocks = 1000;
    f.terminatingData = Bytes(12, 0x77);
    const Bytes bytes = testing_support::BuildZemBytes(f);
    const std::string path = WriteIn(m_dir, "stream.zem", bytes);

    std::vector<std::string> order;
    JsonMembers json = InfoJson(path, &order);
    EXPECT_EQ(order, kStreamKeys);

    const int64_t total = testing_support::FixtureTotalBlocks(f);
    const int64_t lengthMs = total * 1000 / 48000;
    EXPECT_EQ(json["File"].text, path);
    EXPECT_EQ(json["Version"].number, 3990);
    EXPECT_EQ(json["CompressionLevel"].number, 4000);
    EXPECT_EQ(json["FormatFlags"].number, 0);
    EXPECT_EQ(json["SampleRate"].number, 48000);
    EXPECT_EQ(json["BitsPerSample"].number, 24);
    EXPECT_EQ(json["BytesPerSample"].number, 3);
    EXPECT_EQ(json["Channels"].number, 1);
    EXPECT_EQ(json["BlockAlign"].number, 3);
    EXPECT_EQ(json["BlocksPerFrame"].number, f.blocksPerFrame);
    EXPECT_EQ(json["FinalFrameBlocks"].number, 1000);
    EXPECT_EQ(json["TotalFrames"].number, static_cast<int64_t>(f.frames.size()));
    EXPECT_EQ(json["WavHeaderBytes"].number, 44);
    EXPECT_EQ(json["WavTrailerBytes"].number, 12);
    EXPECT_EQ(json["WavDataBytes"].number, 3 * total);
    EXPECT_EQ(json["WavTotalBytes"].number, 44 + 3 * total + 12);
    EXPECT_EQ(json["FileBytes"].number, static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(json["TotalBlocks"].number, total);
    EXPECT_EQ(json["LengthMs"].number, lengthMs);
    EXPECT_EQ(json["AverageBitrate"].number, static_cast<int64_t>(bytes.size()) * 8 / lengthMs);
    EXPECT_EQ(json["DecompressedBitrate"].number, 3 * 48000 * 8 / 1000);
    EXPECT_EQ(json["PeakLevel"].number, -1);
    // The whole stream: the decoder's own answers match the stream's.
    EXPECT_EQ(json["DecoderTotalBlocks"].number, total);
    EXPECT_EQ(json["DecoderLengthMs"].number, lengthMs);
    EXPECT_EQ(json["DecoderAverageBitrate"].number, json["AverageBitrate"].number);
}

TEST_F(InfoCommandTest, OptionsMayFollowTheFile) {
    const std::string path = WriteIn(m_dir, "s.zem", testing_support::BuildZemBytes(testing_support::CurrentZemFixture()));
    const RunResult before = RunTool({"info", "--json", path});
    const RunResult after = RunTool({"info", path, "--json"});
    EXPECT_EQ(after.exitCode, ZEMTOOL_OK);
    EXPECT_EQ(after.out, before.out);
}

TEST_F(InfoCommandTest, OlderHeaderInQrbFileOpensThroughTheOlderDecoder) {
    ZemFixture f = testing_support::OldZemFixture(3920);
    f.compressionLevel = 3000;
    f.formatFlags = 0x8;  // 24 bits per sample in old headers
    const std::string path = WriteIn(m_dir, "old.QRB", testing_support::BuildZemBytes(f));
    JsonMembers json = InfoJson(path);
    EXPECT_EQ(json["Version"].number, 3920);
    EXPECT_EQ(json["CompressionLevel"].number, 3000);
    EXPECT_EQ(json["BitsPerSample"].number, 24);
    EXPECT_EQ(json["FormatFlags"].number, 0x8);
    EXPECT_EQ(json["BlocksPerFrame"].number, testing_support::OldFixtureBlocksPerFrame(3920, 3000));
    EXPECT_EQ(json["TotalBlocks"].number, testing_support::FixtureTotalBlocks(f));
}

// An image with a stored wave header of its own size and trailing wave bytes,
// so that the track's answers differ from the image's.
class LinkInfoTest : public InfoCommandTest {
protected:
    void SetUp() override {
        m_image = testing_support::CurrentZemFixture(3990);
        m_image.storedWaveHeader = Bytes(60, 0x11);
        m_image.terminatingData = Bytes(8, 0x22);
        m_imagePath = WriteIn(m_dir, "image.zem", testing_support::BuildZemBytes(m_image));
        m_total = testing_support::FixtureTotalBlocks(m_image);
    }

    std::string WriteLink(const std::string& name, int64_t start, int64_t finish) {
        return WriteIn(m_dir, name, LinkText("image.zem", start, finish));
    }

    ZemFixture m_image;
    std::string m_imagePath;
    int64_t m_total = 0;
};

TEST_F(LinkInfoTest, JsonAddsTheImageAndTheTrackRangeAndTheTracksWaveSizes) {
    std::vector<std::string> order;
    JsonMembers json = InfoJson(WriteLink("track.zlk", 1000, 5000), &order);
    std::vector<std::string> expectedKeys = kStreamKeys;
    expectedKeys.insert(expectedKeys.end(), {"ImagePath", "StartBlock", "FinishBlock"});
    EXPECT_EQ(order, expectedKeys);
    EXPECT_EQ(json["ImagePath"].text, m_imagePath);
    EXPECT_EQ(json["StartBlock"].number, 1000);
    EXPECT_EQ(json["FinishBlock"].number, 5000);
    EXPECT_EQ(json["DecoderTotalBlocks"].number, 4000);
    EXPECT_EQ(json["DecoderLengthMs"].number, 4000 * 1000 / 44100);
    // The track is delivered with a synthesised 44-byte header and no trailer.
    EXPECT_EQ(json["WavHeaderBytes"].number, 44);
    EXPECT_EQ(json["WavTrailerBytes"].number, 0);
    // Whole-image answers pass through.
    EXPECT_EQ(json["TotalBlocks"].number, m_total);

    JsonMembers image = InfoJson(m_imagePath);
    EXPECT_EQ(image["WavHeaderBytes"].number, 60);
    EXPECT_EQ(image["WavTrailerBytes"].number, 8);
}

TEST_F(LinkInfoTest, RangeIsClampedToTheImageAsTheDecoderClampsIt) {
    JsonMembers toEnd = InfoJson(WriteLink("last.zlk", 2000, -1));
    EXPECT_EQ(toEnd["StartBlock"].number, 2000);
    EXPECT_EQ(toEnd["FinishBlock"].number, m_total);
    EXPECT_EQ(toEnd["DecoderTotalBlocks"].number, m_total - 2000);

    JsonMembers beyond = InfoJson(WriteLink("beyond.zlk", m_total + 10, m_total + 20));
    EXPECT_EQ(beyond["StartBlock"].number, m_total);
    EXPECT_EQ(beyond["FinishBlock"].number, m_total);
    EXPECT_EQ(beyond["DecoderTotalBlocks"].number, 0);

    JsonMembers negative = InfoJson(WriteLink("negative.zlk", -5, 10));
    EXPECT_EQ(negative["StartBlock"].number, 0);
    EXPECT_EQ(negative["FinishBlock"].number, 10);
}

TEST_F(LinkInfoTest, LinkNamedWithForwardSlashesFindsItsImage) {
    std::string link = WriteLink("slashes.zlk", 10, 20);
    for (char& c : link) {
        if (c == '\\')
            c = '/';
    }
    JsonMembers json = InfoJson(link);
    EXPECT_EQ(json["File"].text, link);
    EXPECT_EQ(json["DecoderTotalBlocks"].number, 10);
    EXPECT_NE(json["ImagePath"].text.find("image.zem"), std::string::npos);
}

TEST_F(LinkInfoTest, TextShowsImageTrackAndFormat) {
    const RunResult result = RunTool({"info", WriteLink("track.zlk", 44100, 132300)});
    ASSERT_EQ(result.exitCode, ZEMTOOL_OK) << result.err;
    EXPECT_EQ(TextValue(result.out, "Format"), "image link file (.zlk) to a ZEM stream");
    EXPECT_EQ(TextValue(result.out, "Image"), m_imagePath);
    EXPECT_EQ(TextValue(result.out, "Track blocks"), "44100 to 132300 (88200 blocks)");
    EXPECT_EQ(TextValue(result.out, "Track length"), "0:02.000 (2000 ms)");
    EXPECT_EQ(TextValue(result.out, "Wave header"), "44 bytes");
    EXPECT_EQ(TextValue(result.out, "Sample rate"), "44100 Hz");
}

TEST_F(InfoCommandTest, TextShowsFormatLayoutAndLengthInMinutes) {
    ZemFixture f = testing_support::CurrentZemFixture(3990);
    f.sampleRate = 1000;  // so the fake frames last minutes
    f.formatFlags = 0x20;
    const Bytes bytes = testing_support::BuildZemBytes(f);
    const RunResult result = RunTool({"info", WriteIn(m_dir, "long.zem", bytes)});
    ASSERT_EQ(result.exitCode, ZEMTOOL_OK) << result.err;
    const int64_t total = testing_support::FixtureTotalBlocks(f);
    EXPECT_EQ(total, 2 * 73728 + 4096);  // the fixture's layout this test relies on
    EXPECT_EQ(TextValue(result.out, "Format"), "ZEM stream");
    EXPECT_EQ(TextValue(result.out, "Version"), "3990");
    EXPECT_EQ(TextValue(result.out, "Compression level"), "2000");
    EXPECT_EQ(TextValue(result.out, "Format flags"), "0x0020");
    EXPECT_EQ(TextValue(result.out, "Sample rate"), "1000 Hz");
    EXPECT_EQ(TextValue(result.out, "Channels"), "2");
    EXPECT_EQ(TextValue(result.out, "Bits per sample"), "16");
    EXPECT_EQ(TextValue(result.out, "Block align"), "4 bytes");
    EXPECT_EQ(TextValue(result.out, "Total frames"), "3");
    EXPECT_EQ(TextValue(result.out, "Total blocks"), std::to_string(total));
    EXPECT_EQ(TextValue(result.out, "Length"), "2:31.552 (151552 ms)");
    EXPECT_EQ(TextValue(result.out, "File size"), std::to_string(bytes.size()) + " bytes");
    EXPECT_EQ(TextValue(result.out, "Average bitrate"),
              std::to_string(bytes.size() * 8 / 151552) + " kbit/s");
    EXPECT_EQ(TextValue(result.out, "Decompressed bitrate"), "32 kbit/s");
    EXPECT_EQ(TextValue(result.out, "Wave header"), "44 bytes");
    EXPECT_EQ(TextValue(result.out, "Wave trailer"), "0 bytes");
    EXPECT_EQ(result.out.find("Image"), std::string::npos);
}

TEST_F(InfoCommandTest, NamesOutsideTheAnsiCodePageWork) {
    const std::string name = "Caf\xC3\xA9 \xE2\x98\x95 \xF0\x9F\x8E\xB5.zem";  // e-acute, a cup, a note
    const std::string path = WriteIn(m_dir, name, testing_support::BuildZemBytes(testing_support::CurrentZemFixture()));
    JsonMembers json = InfoJson(path);
    EXPECT_EQ(json["File"].text, path);
    EXPECT_EQ(json["Version"].number, 3990);
}

// --- failures -------------------------------------------------------------

struct FailureCase {
    RunResult result;
    void Expect(int exitCode, const std::string& prefix, const std::string& reasonPart) const {
        EXPECT_EQ(result.exitCode, exitCode);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("zemtool: " + prefix, 0), 0u) << result.err;
        EXPECT_NE(result.err.find(reasonPart), std::string::npos) << result.err;
    }
};

TEST_F(InfoCommandTest, MissingFileIsBadInput) {
    const std::string path = PathIn(m_dir, "absent.zem");
    FailureCase{RunTool({"info", path})}.Expect(ZEMTOOL_FAILED, "CODEC_BAD_INPUT: ", "cannot open '" + path + "'");
}

// Files are told apart by content: a stream under another name is a stream.
TEST_F(InfoCommandTest, StreamUnderAnyNameOpens) {
    const std::string path = WriteIn(m_dir, "stream.wav", testing_support::BuildZemBytes(testing_support::CurrentZemFixture()));
    const RunResult result = RunTool({"info", path});
    EXPECT_NE(std::string::npos, result.out.find("Format:               ZEM stream\n")) << result.err;
}

TEST_F(InfoCommandTest, FileWithoutHeaderIsBadInput) {
    const std::string path = WriteIn(m_dir, "noise.zem", Bytes(4000, 0x5A));
    FailureCase{RunTool({"info", path})}.Expect(ZEMTOOL_FAILED, "CODEC_BAD_INPUT: ", "has no valid ZEM stream header");
}

TEST_F(InfoCommandTest, LinkFileLackingAKeyIsBadInput) {
    const std::string path = WriteIn(m_dir, "broken.zlk", testing_support::BytesOf("[Quillon Image Link File]\r\nImage File=x.zem\r\n"));
    FailureCase{RunTool({"info", path})}.Expect(ZEMTOOL_FAILED, "CODEC_BAD_INPUT: ", "is not a valid image link file");
}

TEST_F(InfoCommandTest, LinkToMissingImageNamesTheImage) {
    const std::string path = WriteIn(m_dir, "orphan.zlk", LinkText("gone.zem", 0, 100));
    FailureCase{RunTool({"info", path})}.Expect(ZEMTOOL_FAILED, "CODEC_BAD_INPUT: ",
                                                "cannot open the image '" + PathIn(m_dir, "gone.zem") + "'");
}

TEST_F(InfoCommandTest, VersionNoDecoderAcceptsIsFailed) {
    ZemFixture f = testing_support::OldZemFixture(3925);
    const std::string path = WriteIn(m_dir, "between.zem", testing_support::BuildZemBytes(f));
    FailureCase{RunTool({"info", "--json", path})}.Expect(ZEMTOOL_FAILED, "CODEC_FAILED: ", "unsupported version");
}

TEST_F(InfoCommandTest, EmptyFileNameIsBadArgument) {
    FailureCase{RunTool({"info", ""})}.Expect(ZEMTOOL_FAILED, "CODEC_BAD_ARGUMENT: ", "no file name given");
}

TEST_F(InfoCommandTest, CommandLineMistakesAreUsageErrors) {
    FailureCase{RunTool({"info"})}.Expect(ZEMTOOL_USAGE, "CODEC_BAD_ARGUMENT: ", "no file given");
    FailureCase{RunTool({"info", "--jobs", "0", "a.zem"})}.Expect(ZEMTOOL_USAGE, "CODEC_BAD_ARGUMENT: ", "--jobs takes");
    const RunResult unknown = RunTool({"info", "--xml", "a.zem"});
    FailureCase{unknown}.Expect(ZEMTOOL_USAGE, "CODEC_BAD_ARGUMENT: ", "unknown option '--xml'");
    EXPECT_NE(unknown.err.find("Try 'zemtool info --help'."), std::string::npos);
}

TEST_F(InfoCommandTest, DoubleDashEndsOptions) {
    // Behind "--" a word with dashes is a file name, not an option.
    FailureCase{RunTool({"info", "--", "--json"})}.Expect(ZEMTOOL_FAILED, "CODEC_BAD_INPUT: ", "'--json'");
    FailureCase{RunTool({"info", "-odd.zem"})}.Expect(ZEMTOOL_USAGE, "CODEC_BAD_ARGUMENT: ", "unknown option '-odd.zem'");
}

}  // namespace
}  // namespace tool_tests
