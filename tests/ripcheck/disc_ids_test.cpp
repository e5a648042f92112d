// SPDX-License-Identifier: BSD-3-Clause
// Disc identifiers from tables of contents and from cue sheets.
#include "tests/ripcheck/ripcheck_fixture.h"
#include "tools/zemtool/ripcheck/disc_ids.h"

#include <gtest/gtest.h>

namespace {

using namespace ripcheck_tests;

struct TocCase {
    const char* name;
    ripcheck::DiscToc toc;
    const char* accurateRipName;  // worked out by hand from the definitions
};

class DiscIdTest : public ::testing::TestWithParam<TocCase> {};

TEST_P(DiscIdTest, AccurateRipAndCddb) {
    const TocCase& c = GetParam();
    EXPECT_EQ(ripcheck::AccurateRipName(ripcheck::AccurateRipIdsOf(c.toc)), c.accurateRipName);
    if (ripcheck::HaveMusicBrainzIds()) {
        EXPECT_EQ(ripcheck::CddbId(c.toc), ripcheck::LibraryCddbId(c.toc));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tocs, DiscIdTest,
    ::testing::Values(
        TocCase{"SixTracks", {{0, 15213, 32164, 46442, 63264, 80339}, 95312}, "006-000513be-001b2231-3404f606"},
        TocCase{"HiddenTrackBeforeTrackOne", {{12, 30}, 52}, "002-0000005e-000000e4-04000002"},
        TocCase{"ThreeTracks", {{0, 23, 41}, 70}, "003-00000086-000001c2-06000003"},
        TocCase{"StartsOnOddSeconds", {{0, 13000, 26150}, 40000}, "003-0001352e-00040903-17021503"}),
    [](const ::testing::TestParamInfo<TocCase>& p) { return std::string(p.param.name); });

TEST(DiscId, MusicBrainzOfAPublishedExample) {
    if (!ripcheck::HaveMusicBrainzIds())
        GTEST_SKIP() << "built without libdiscid";
    EXPECT_EQ(ripcheck::MusicBrainzId({{0, 15213, 32164, 46442, 63264, 80339}, 95312}), "49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
}

// INDEX 00 lines (pregaps inside the image) leave the starts at INDEX 01; audio
// before track 1's INDEX 01 moves track 1 away from sector 0.
struct SheetCase {
    const char* name;
    const char* sheet;
    uint32_t sectors;
    const char* accurateRipName;
};

class SheetIdTest : public ::testing::TestWithParam<SheetCase> {};

TEST_P(SheetIdTest, FromTheSheet) {
    testing_support::TempDir dir;
    WriteImage(dir, "disc", std::vector<uint32_t>(GetParam().sectors * 588, 0x00010002u), {0});
    testing_support::WriteFileBytes(dir.File("disc.cue"), testing_support::BytesOf(GetParam().sheet));
    const RunResult run = RunTool({"ripcheck", "--json", dir.File("disc.cue").u8string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(JsonValues(run.out, "accuraterip_id"), std::vector<std::string>{GetParam().accurateRipName});
    const std::string name = GetParam().accurateRipName;
    EXPECT_EQ(JsonValues(run.out, "cddb_id"), std::vector<std::string>{name.substr(name.size() - 8)});
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, SheetIdTest,
    ::testing::Values(SheetCase{"Pregaps",
                                "FILE \"disc.zem\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                "  TRACK 02 AUDIO\n    INDEX 00 00:00:21\n    INDEX 01 00:00:23\n"
                                "  TRACK 03 AUDIO\n    INDEX 00 00:00:39\n    INDEX 01 00:00:41\n",
                                70, "003-00000086-000001c2-06000003"},
                      SheetCase{"HiddenTrack",
                                "FILE \"disc.zem\" WAVE\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n    INDEX 01 00:00:12\n"
                                "  TRACK 02 AUDIO\n    INDEX 01 00:00:30\n",
                                52, "002-0000005e-000000e4-04000002"}),
    [](const ::testing::TestParamInfo<SheetCase>& p) { return std::string(p.param.name); });

// An enhanced CD's data track has no audio in the image, and the sheet does
// not say where the disc ends: the ids are the audio tracks' and say so.
TEST(SheetId, DataTrackIsNamed) {
    testing_support::TempDir dir;
    WriteImage(dir, "disc", std::vector<uint32_t>(70 * 588, 0x00010002u), {0});
    testing_support::WriteFileBytes(dir.File("disc.cue"),
                                    testing_support::BytesOf("FILE \"disc.zem\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                                             "  TRACK 02 AUDIO\n    INDEX 01 00:00:23\n"
                                                             "  TRACK 03 AUDIO\n    INDEX 01 00:00:41\n"
                                                             "  TRACK 04 MODE1/2352\n    INDEX 01 02:32:41\n"));
    const RunResult run = RunTool({"ripcheck", "--json", dir.File("disc.cue").u8string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("warning: track 4 is a data track"), std::string::npos) << run.err;
    EXPECT_EQ(JsonValues(run.out, "accuraterip_id"), std::vector<std::string>{"003-00000086-000001c2-06000003"});
}

}  // namespace
