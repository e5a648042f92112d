// SPDX-License-Identifier: BSD-3-Clause
// `zemtool links`: the files it writes and lists, and its refusals.
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tool_tests {
namespace {

using testing_support::BytesOf;
using testing_support::TempDir;

const char kAlbumSheet[] =
    "PERFORMER \"Corvane\"\r\nTITLE \"Tallowmere\"\r\nFILE \"Tallowmere.zem\" WAVE\r\n"
    "  TRACK 01 AUDIO\r\n    TITLE \"Wrenfall\"\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    TITLE \"A/B\"\r\n    INDEX 01 00:02:33\r\n";

TEST(LinksCommandTest, WritesAndListsOneFilePerTrack) {
    TempDir dir;
    const std::string sheet = WriteIn(dir, "album.cue", BytesOf(kAlbumSheet));
    WriteIn(dir, "Tallowmere.zem", testing_support::BuildZemBytes(testing_support::CurrentZemFixture(3990)));
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
    const std::string sheet = WriteIn(dir, "album.cue", BytesOf(kAlbumSheet));
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
    const std::string sheet = WriteIn(dir, "album.cue", BytesOf(kAlbumSheet));
    const std::string longName(300, 'n');
    const RunResult result = RunTool({"links", "--template", longName + "TRACK#", sheet});
    EXPECT_EQ(ZEMTOOL_FAILED, result.exitCode);
    EXPECT_EQ("", result.out);
    EXPECT_NE(std::string::npos, result.err.find("CODEC_WRITE_FAILED: 2 of 2 link files could not be created"))
        << result.err;
}

// A sheet around `tracks`, naming `image`; tracks are "TITLE|INDEX 01 value".
std::string Sheet(const std::string& image, const std::vector<std::string>& tracks) {
    std::string text = "PERFORMER \"P\"\nTITLE \"Album\"\n" + image + "\n";
    for (size_t index = 0; index < tracks.size(); ++index) {
        size_t bar = tracks[index].find('|');
        text += "  TRACK 0" + std::to_string(index + 1) + " AUDIO\n    TITLE \"" + tracks[index].substr(0, bar) +
                "\"\n";
        if (bar != std::string::npos)
            text += "    INDEX 01 " + tracks[index].substr(bar + 1) + "\n";
    }
    return text;
}

const std::string kZem = "FILE \"a.zem\" WAVE";

// Each sheet gives links that cannot play, or not as meant: one warning line
// says so, the files are written all the same, and --strict writes nothing.
TEST(LinksCommandTest, WarningsAndStrict) {
    const struct {
        const char* what;
        std::string sheet;
        std::vector<std::string> files;  // beside the sheet: *.zem a stream, anything else a few bytes
        std::string naming;
        std::string warning;  // a piece of the one warning line; empty for none
    } cases[] = {
        {"clean", Sheet(kZem, {"A|00:00:00", "B|03:00:00"}), {"a.zem"}, "", ""},
        {"missing image", Sheet(kZem, {"A|00:00:00"}), {}, "", "image 'a.zem' not found"},
        {"unquoted FILE", Sheet("FILE a.zem WAVE", {"A|00:00:00"}), {"a.zem"}, "",
         "the FILE line gives no name in double quotes"},
        {"ripper's name", Sheet("FILE \"Album.wav\" WAVE", {"A|00:00:00"}), {"Album.zem"}, "",
         "image 'Album.wav' not found, but 'Album.zem' lies beside the cue sheet"},
        {"no stream", Sheet("FILE \"a.wav\" WAVE", {"A|00:00:00"}), {"a.wav"}, "", "image 'a.wav' is no ZEM stream"},
        {"two FILE lines", Sheet(kZem, {"A|00:00:00"}) + "FILE \"b.zem\" WAVE\n", {"a.zem", "b.zem"}, "",
         "the cue sheet has 2 FILE lines: every track points at the first image, 'a.zem'"},
        {"out of order", Sheet(kZem, {"A|00:00:00", "B|03:00:00", "C|01:00:00"}), {"a.zem"}, "",
         "track 02 ends before it starts (blocks 7938000 to 2646000)"},
        {"empty", Sheet(kZem, {"A|00:02:00", "B|00:02:00"}), {"a.zem"}, "", "track 01 is empty (blocks 88200 to 88200)"},
        {"missing INDEX 01", Sheet(kZem, {"A|00:00:00", "B", "C|01:00:00"}), {"a.zem"}, "",
         "track 02 has no INDEX 01 of its own"},
        {"unreadable INDEX 01", Sheet(kZem, {"A|00:00:00", "B|5:02:33"}), {"a.zem"}, "",
         "track 02: INDEX 01 '5:02:33' is not written MM:SS:FF"},
        {"seconds", Sheet(kZem, {"A|00:00:00", "B|00:60:00"}), {"a.zem"}, "",
         "track 02: INDEX 01 '00:60:00' has seconds above 59 or frames above 74"},
        {"frames", Sheet(kZem, {"A|00:00:00", "B|00:01:75"}), {"a.zem"}, "",
         "track 02: INDEX 01 '00:01:75' has seconds above 59 or frames above 74"},
        {"data track", Sheet(kZem, {"A|00:00:00"}) + "  TRACK 02 MODE1/2352\n    INDEX 01 01:00:00\n"
                                                   "  TRACK 03 AUDIO\n    INDEX 01 02:00:00\n",
         {"a.zem"}, "", "track 02 is a data track (MODE1/2352): the 1 audio track after it gets no link file"},
        {"colliding names", Sheet(kZem, {"Interlude|00:00:00", "Song|01:00:00", "Interlude|02:00:00"}), {"a.zem"},
         "ARTIST - TITLE", "tracks 01 and 03 are both named 'P - Interlude.zlk': the later file replaces the earlier"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        for (bool strict : {true, false}) {
            TempDir dir;
            const std::string sheet = WriteIn(dir, "album.cue", BytesOf(test.sheet));
            for (const std::string& file : test.files) {
                bool stream = file.size() > 4 && file.substr(file.size() - 4) == ".zem";
                WriteIn(dir, file, stream ? testing_support::BuildZemBytes(testing_support::CurrentZemFixture(3990))
                                          : BytesOf("RIFF....WAVEfmt "));
            }
            std::vector<std::string> args = {"links", sheet};
            if (!test.naming.empty())
                args.insert(args.end(), {"--template", test.naming});
            if (strict)
                args.push_back("--strict");
            const RunResult result = RunTool(args);
            const std::string line = "zemtool: warning: " + test.warning;
            if (test.warning.empty()) {
                EXPECT_EQ("", result.err);
            } else {
                EXPECT_EQ(0u, result.err.find(line)) << result.err;
                EXPECT_EQ(std::string::npos, result.err.find("warning", line.size())) << result.err;
            }
            size_t links = 0;
            for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
                links += entry.path().extension() == ".zlk" ? 1 : 0;
            if (strict && !test.warning.empty()) {
                EXPECT_EQ(ZEMTOOL_FAILED, result.exitCode);
                EXPECT_NE(std::string::npos,
                          result.err.find("CODEC_BAD_INPUT: 1 problem with --strict: no link file written\n"));
                EXPECT_EQ("", result.out);
                EXPECT_EQ(0u, links);
            } else {
                EXPECT_EQ(ZEMTOOL_OK, result.exitCode) << result.err;
                EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), static_cast<ptrdiff_t>(links));
                if (!test.naming.empty()) {
                    EXPECT_EQ(2u, links);  // the two tracks called Interlude leave one file
                }
            }
        }
    }
}

// Names are listed one a line, whatever characters the folder holds (Linux
// takes control characters in names, Windows does not); the names the
// template makes never hold control characters.
TEST(LinksCommandTest, ControlCharactersNeverReachNamesOrTheOutputRaw) {
#ifdef _WIN32
    const std::string folder = "xq", shown = "xq";
#else
    const std::string folder = "x\x1bq", shown = "x\\x1bq";
#endif
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / folder);
    const std::string sheet =
        WriteIn(dir, folder + "/a.cue", BytesOf("TITLE \"Open\r\nTRACK 01 AUDIO\r\nTITLE \"B\a\x01\"\r\n"));
    const RunResult result = RunTool({"links", "--template", "ALBUM TITLE", sheet});
    const std::string name = "Open--TRACK 01 AUDIO--TITLE  B--.zlk";
    EXPECT_EQ((dir.File(shown) / name).u8string() + "\n", result.out);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / folder / name));
}

}  // namespace
}  // namespace tool_tests
