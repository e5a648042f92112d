// SPDX-License-Identifier: BSD-3-Clause
// The bundled samples: the committed files are what the generator makes, and
// zemtool reads them as the README shows.
#include "tests/support/test_files.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/make-samples/sample_set.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tool_tests {
namespace {

std::filesystem::path SamplesFolder() { return std::filesystem::u8path(ZEM_SOURCE_DIR) / "samples"; }

TEST(SamplesTest, CommittedSamplesMatchTheGenerator) {
    for (const samples::SampleFile& sample : samples::BuildSampleSet()) {
        const testing_support::Bytes committed = testing_support::ReadFileBytes(SamplesFolder() / sample.name);
        EXPECT_EQ(committed, sample.bytes) << sample.name << " is out of date: run make_samples samples";
    }
}

class SampleFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const samples::SampleFile& sample : samples::BuildSampleSet())
            WriteIn(m_dir, sample.name, sample.bytes);
    }
    std::map<std::string, JsonValue> Json(const std::string& name) {
        const RunResult result = RunTool({"info", "--json", PathIn(m_dir, name)});
        EXPECT_EQ(result.exitCode, ZEMTOOL_OK) << result.err;
        std::map<std::string, JsonValue> members;
        std::vector<std::string> order;
        EXPECT_TRUE(ParseFlatJson(result.out, members, order)) << result.out;
        return members;
    }
    testing_support::TempDir m_dir;
};

TEST_F(SampleFilesTest, LinkSelectsItsTrackOfTheImage) {
    auto image = Json("sample.zem");
    EXPECT_EQ(image["SampleRate"].number, samples::kImageSampleRate);
    EXPECT_EQ(image["TotalBlocks"].number, 2 * samples::kImageBlocksPerFrame + samples::kImageFinalFrameBlocks);
    auto link = Json("sample.zlk");
    EXPECT_EQ(link["ImagePath"].text, PathIn(m_dir, "sample.zem"));
    EXPECT_EQ(link["StartBlock"].number, samples::kTrackStartBlock);
    EXPECT_EQ(link["FinishBlock"].number, samples::kTrackFinishBlock);
    EXPECT_EQ(link["DecoderLengthMs"].number, 2000);
}

TEST_F(SampleFilesTest, OlderStreamAndTagsRead) {
    EXPECT_EQ(Json("sample.qrb")["Version"].number, 3920);
    EXPECT_EQ(RunTool({"tag", PathIn(m_dir, "sample.zlk")}).out,
              "Track=2\nAlbum=Sample Album\nTitle=Second Track\nArtist=Sample Artist\n");
    EXPECT_EQ(RunTool({"tag", PathIn(m_dir, "sample.qrb")}).out, "Title=Older Format Sample\n");
}

}  // namespace
}  // namespace tool_tests

namespace tool_tests {
namespace {

std::string Slashed(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

// The README's main job on a copy of the bundled album: links, then the
// decode of one track, with the commands and the file name the README shows.
TEST(AlbumSampleTest, ReadmeMainJobBuildsLinksAndShowsOneTrack) {
    const testing_support::Bytes readme = testing_support::ReadFileBytes(SamplesFolder() / ".." / "README.md");
    const std::string readmeText(readme.begin(), readme.end());
    const std::string track = "Corvane - Tallowmere - 02 - Saltglass.zlk";
    EXPECT_NE(std::string::npos, readmeText.find("zemtool links samples/album/Tallowmere.cue"));
    EXPECT_NE(std::string::npos, readmeText.find("zemtool decode \"samples/album/" + track + "\" Saltglass.wav"));
    EXPECT_NE(std::string::npos, readmeText.find("--target zemtool sample_album"));

    testing_support::TempDir dir;
    for (const samples::SampleFile& sample : {samples::AlbumCueSheet(), samples::AlbumImage()})
        WriteIn(dir, sample.name, sample.bytes);
    const RunResult links = RunTool({"links", PathIn(dir, samples::kAlbumCueSheet)});
    ASSERT_EQ(ZEMTOOL_OK, links.exitCode) << links.err;
    // zemtool prints paths the way the library names them (backslashes on Windows).
    const std::string folder = Slashed(PathIn(dir, samples::kAlbumFolder));
    EXPECT_EQ(Lines(Slashed(links.out)), (std::vector<std::string>{folder + "/Corvane - Tallowmere - 01 - Wrenfall.zlk",
                                                            folder + "/" + track,
                                                            folder + "/Ilse Marrow - Tallowmere - 03 - Lanternfield.zlk"}));
    const RunResult info = RunTool({"info", "--json", folder + "/" + track});
    ASSERT_EQ(ZEMTOOL_OK, info.exitCode) << info.err;
    std::map<std::string, JsonValue> members;
    std::vector<std::string> order;
    ASSERT_TRUE(ParseFlatJson(info.out, members, order)) << info.out;
    EXPECT_EQ(188160, members["StartBlock"].number);   // 00:04:20
    EXPECT_EQ(374556, members["FinishBlock"].number);  // 00:08:37
    EXPECT_EQ(samples::kImageSampleRate, members["SampleRate"].number);
    EXPECT_EQ(samples::kAlbumTotalBlocks, members["TotalBlocks"].number);

    // The track decodes to exactly its blocks of the music the image was made from.
    const RunResult decode = RunTool({"decode", "-q", folder + "/" + track, PathIn(dir, "Saltglass.wav")});
    ASSERT_EQ(ZEMTOOL_OK, decode.exitCode) << decode.err;
    const testing_support::Bytes wave = testing_support::ReadFileBytes(dir.File("Saltglass.wav"));
    const testing_support::Bytes pcm = testing_support::PcmBytes(
        testing_support::MakeSamples(samples::AlbumWaveShape()), 16);
    ASSERT_EQ(44u + (374556 - 188160) * 4, wave.size());
    EXPECT_TRUE(std::equal(wave.begin() + 44, wave.end(), pcm.begin() + 188160 * 4));
    EXPECT_FALSE(std::all_of(wave.begin() + 44, wave.end(), [](uint8_t b) { return b == 0; }));
}

}  // namespace
}  // namespace tool_tests
