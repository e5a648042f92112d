// SPDX-License-Identifier: BSD-3-Clause
// A cue sheet kept in the image's tag: `zemtool tag --set-cuesheet` stores
// it, `zemtool links IMAGE` builds the links from it.
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

namespace tool_tests {
namespace {

using testing_support::BytesOf;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

// ANSI text (Latin-1 "é") and a FILE line naming another name than the image's.
const char kSheet[] =
    "PERFORMER \"Corvane\"\r\nTITLE \"Tallowm\xE9re\"\r\nFILE \"%s\" WAVE\r\n"
    "  TRACK 01 AUDIO\r\n    TITLE \"Wrenfall\"\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    TITLE \"A/B\"\r\n    PERFORMER \"Ilse\"\r\n    INDEX 01 00:02:33\r\n";

std::string Sheet(const std::string& image) {
    std::string text = kSheet;
    return text.replace(text.find("%s"), 2, image);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST(EmbeddedCueSheetTest, LinksFromTheImagesSheetEqualThoseFromTheSheetFile) {
    TempDir external, embedded;
    const auto image = testing_support::BuildZemBytes(testing_support::CurrentZemFixture(3990));
    const std::string sheet = WriteIn(external, "album.cue", BytesOf(Sheet("Tallowmere.zem")));
    WriteIn(external, "Tallowmere.zem", image);
    const std::string carrier = WriteIn(embedded, "Tallowmere.zem", image);
    // Names without the album's non-ASCII title, so the test reads them on every system.
    const RunResult fromSheet = RunTool({"links", sheet, "--template", "TRACK# - TITLE"});
    ASSERT_EQ(ZEMTOOL_OK, fromSheet.exitCode) << fromSheet.err;

    const RunResult set = RunTool({"tag", carrier, "--set-cuesheet", sheet});
    ASSERT_EQ(ZEMTOOL_OK, set.exitCode) << set.err;
    const RunResult fromImage = RunTool({"links", carrier, "--template", "TRACK# - TITLE"});
    ASSERT_EQ(ZEMTOOL_OK, fromImage.exitCode) << fromImage.err;
    const std::vector<std::string> written = Lines(fromImage.out);
    ASSERT_EQ(2u, written.size());
    ASSERT_EQ(Lines(fromSheet.out).size(), written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        const std::string name = written[i].substr(written[i].find_last_of("/\\") + 1);
        const auto bytes = ReadFileBytes(PathIn(embedded, name));
        EXPECT_LT(100u, bytes.size()) << name;
        EXPECT_EQ(ReadFileBytes(PathIn(external, name)), bytes) << name;
    }
    // The field holds the sheet as UTF-8.
    const RunResult tags = RunTool({"tag", carrier});
    EXPECT_NE(std::string::npos, tags.out.find("Cuesheet=PERFORMER \"Corvane\"\\r\\nTITLE \"Tallowm\xC3\xA9re\"")) << tags.out;
}

TEST(EmbeddedCueSheetTest, TheImageCarryingTheSheetIsTheImageItsLinksName) {
    TempDir dir;
    const std::string sheet = WriteIn(dir, "rip.cue", BytesOf(Sheet("C:\\rips\\CDImage.wav")));
    const std::string image = WriteIn(dir, "album.zem", testing_support::BuildZemBytes(testing_support::CurrentZemFixture(3990)));
    ASSERT_EQ(ZEMTOOL_OK, RunTool({"tag", image, "--set-cuesheet", sheet}).exitCode);
    const RunResult links = RunTool({"links", image, "--template", "TRACK#"});
    ASSERT_EQ(ZEMTOOL_OK, links.exitCode) << links.err;
    EXPECT_EQ("", links.err);  // the image is found: no warning
    const auto bytes = ReadFileBytes(PathIn(dir, "02.zlk"));
    EXPECT_NE(std::string::npos, std::string(bytes.begin(), bytes.end()).find("Image File=album.zem\r\n"));
}

TEST(EmbeddedCueSheetTest, RefusalsLeaveTheImageAlone) {
    TempDir dir;
    const auto bytes = testing_support::BuildZemBytes(testing_support::CurrentZemFixture(3990));
    const std::string image = WriteIn(dir, "album.zem", bytes);
    const std::string noTracks = WriteIn(dir, "none.cue", BytesOf("TRACK 1 AUDIO\r\n"));
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"tag", image, "--set-cuesheet", PathIn(dir, "missing.cue")}, "cannot read cue sheet"},
        {{"tag", image, "--set-cuesheet", noTracks}, "lists no audio track"},
        {{"tag", image, "--set-cuesheet"}, "--set-cuesheet needs a value"},
        {{"links", image}, "carries no cue sheet in its tag"},
        {{"links", PathIn(dir, "missing.zem")}, "cannot open image"},
    };
    for (const auto& c : cases) {
        const RunResult result = RunTool(c.args);
        EXPECT_NE(ZEMTOOL_OK, result.exitCode) << c.err;
        EXPECT_NE(std::string::npos, result.err.find(c.err)) << result.err;
    }
    EXPECT_EQ(bytes, ReadFileBytes(image));
}

}  // namespace
}  // namespace tool_tests
