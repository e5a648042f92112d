// The bundled samples: the committed files are what the generator makes, and
// zemtool reads them as the README shows.
#include "tests/support/test_files.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/make-samples/sample_set.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

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
