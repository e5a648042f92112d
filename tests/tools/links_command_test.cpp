// `zemtool links`: the files it writes and lists, and its refusals.
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

namespace tool_tests {
namespace {

using testing_support::BytesOf;
using testing_support::TempDir;

const char kSheet[] =
    "PERFORMER \"Corvane\"\r\nTITLE \"Tallowmere\"\r\nFILE \"Tallowmere.zem\" WAVE\r\n"
    "  TRACK 01 AUDIO\r\n    TITLE \"Wrenfall\"\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    TITLE \"A/B\"\r\n    INDEX 01 00:02:33\r\n";

TEST(LinksCommandTest, WritesAndListsOneFilePerTrack) {
    TempDir dir;
    const std::string sheet = WriteIn(dir, "album.cue", BytesOf(kSheet));
    const RunResult result = RunTool({"links", sheet});
    EXPECT_EQ(ZEMTOOL_OK, result.exitCode) << result.err;
    EXPECT_EQ("", result.err);
    EXPECT_EQ(PathIn(dir, "Corvane - Tallowmere - 01 - Wrenfall.zlk") + "\n" +
                  PathIn(dir, "Corvane - Tallowmere - 02 - A-B.zlk") + "\n",
              result.out);
    // The listed link holds the track's tag, smallest item first.
    const RunResult tags = RunTool({"tag", PathIn(dir, "Corvane - Tallowmere - 02 - A-B.zlk")});
    EXPECT_EQ("Track=02\nTitle=A/B\nArtist=Corvane\nAlbum=Tallowmere\n", tags.out);
}

TEST(LinksCommandTest, TemplateOptionAndSharedNames) {
    TempDir dir;
    const std::string sheet = WriteIn(dir, "album.cue", BytesOf(kSheet));
    const RunResult result = RunTool({"links", "--template", "ALBUM", sheet});
    EXPECT_EQ(ZEMTOOL_OK, result.exitCode) << result.err;
    EXPECT_EQ(PathIn(dir, "Tallowmere.zlk") + "\n", result.out);
}

TEST(LinksCommandTest, WrongInputFailsWithAReason) {
    TempDir dir;
    const std::string empty = WriteIn(dir, "empty.cue", BytesOf("TRACK 1 AUDIO\n"));
    const std::string missing = PathIn(dir, "missing.cue");
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    } cases[] = {
        {{"links"}, ZEMTOOL_USAGE,
         "zemtool: CODEC_BAD_ARGUMENT: no cue sheet given\nTry 'zemtool links --help'.\n"},
        {{"links", "a.cue", "b.cue"}, ZEMTOOL_USAGE,
         "zemtool: CODEC_BAD_ARGUMENT: more than one cue sheet given\nTry 'zemtool links --help'.\n"},
        {{"links", "a.cue", "--template"}, ZEMTOOL_USAGE,
         "zemtool: CODEC_BAD_ARGUMENT: --template needs a naming template\nTry 'zemtool links --help'.\n"},
        {{"links", "--bogus", "a.cue"}, ZEMTOOL_USAGE,
         "zemtool: CODEC_BAD_ARGUMENT: unknown option '--bogus'\nTry 'zemtool links --help'.\n"},
        {{"links", missing}, ZEMTOOL_FAILED, "zemtool: CODEC_BAD_INPUT: cannot open cue sheet '" + missing + "'\n"},
        {{"links", empty}, ZEMTOOL_FAILED,
         "zemtool: CODEC_BAD_INPUT: '" + empty + "' lists no audio track (no TRACK 01 AUDIO)\n"},
    };
    for (const auto& test : cases) {
        const RunResult result = RunTool(test.args);
        EXPECT_EQ(test.exitCode, result.exitCode) << test.args.back();
        EXPECT_EQ(test.err, result.err);
        EXPECT_EQ("", result.out);
    }
}

TEST(LinksCommandTest, UncreatableLinkIsReported) {
    TempDir dir;
    const std::string sheet = WriteIn(dir, "album.cue", BytesOf(kSheet));
    const std::string longName(300, 'n');
    const RunResult result = RunTool({"links", "--template", longName + "TRACK#", sheet});
    EXPECT_EQ(ZEMTOOL_FAILED, result.exitCode);
    EXPECT_EQ("", result.out);
    EXPECT_NE(std::string::npos, result.err.find("CODEC_WRITE_FAILED: 2 of 2 link files could not be created"))
        << result.err;
}

}  // namespace
}  // namespace tool_tests
