// SPDX-License-Identifier: BSD-3-Clause
// A sheet as written: a track's INDEX 01 whatever the rate its blocks are
// counted at (malformed times included), the album's fields, and names made
// from a template as the links are named.
#include <zem/zem.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

TEST(ZemCueTrackTime, GivesTheTimeAsWritten) {
    const std::string sheet =
        "FILE \"image.zem\" WAVE\n"
        "TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
        "TRACK 02 AUDIO\n  INDEX 01 03:75:00\n"
        "TRACK 03 AUDIO\n  INDEX 01 71:02:74\n";
    const std::array<int, 3> expected[] = {{0, 0, 0}, {3, 75, 0}, {71, 2, 74}};
    int error = 1;
    zem_cue* cue = zem_cue_parse(sheet.data(), sheet.size(), 48000, &error);
    ASSERT_NE(nullptr, cue) << error;
    for (int i = 0; i < 3; ++i) {
        std::array<int, 3> time = {-1, -1, -1};
        EXPECT_EQ(ZEM_OK, zem_cue_track_time(cue, i, &time[0], &time[1], &time[2]));
        EXPECT_EQ(expected[i], time) << i;
    }
    int minutes = -1;
    EXPECT_EQ(ZEM_OK, zem_cue_track_time(cue, 2, &minutes, nullptr, nullptr));
    EXPECT_EQ(71, minutes);
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_cue_track_time(cue, 3, &minutes, nullptr, nullptr));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_cue_track_time(cue, -1, &minutes, nullptr, nullptr));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_cue_track_time(nullptr, 0, &minutes, nullptr, nullptr));
    EXPECT_EQ(71, minutes);
    const char* title = "x";
    const char* performer = "x";
    EXPECT_EQ(ZEM_OK, zem_cue_get_album(cue, &title, &performer));
    EXPECT_STREQ("", title);
    EXPECT_STREQ("", performer);
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_cue_get_album(nullptr, &title, nullptr));
    zem_cue_close(cue);
}

TEST(ZemTemplateName, FillsTheWordsOnceAndKeepsTheNameInItsFolder) {
    struct Case {
        const char* naming;
        const char* artist;
        const char* title;
        std::string name;
    } cases[] = {
        {"ARTIST - ALBUM - TRACK# - TITLE", "Quell", "Brine", "Quell - Tallowmere - 07 - Brine"},
        {"TRACK#. TITLE", "TITLE FIGHT", "ARTIST", "07. ARTIST"},  // values are not searched again
        {"TITLE.zlk", nullptr, "a/b\\c:d*e", "a-b-c-d-e"},
        {"TRACK# TRACK#", "", "", "07 07"},
    };
    for (const Case& c : cases) {
        char name[64];
        EXPECT_EQ(long(c.name.size()),
                  zem_template_name(c.naming, c.artist, "Tallowmere", "07", c.title, name, sizeof name));
        EXPECT_EQ(c.name, name);
        EXPECT_EQ(long(c.name.size()), zem_template_name(c.naming, c.artist, "Tallowmere", "07", c.title, nullptr, 0));
    }
    char small[4] = "abc";
    EXPECT_EQ(5, zem_template_name("TITLE", nullptr, nullptr, nullptr, "Brine", small, sizeof small));
    EXPECT_STREQ("abc", small);  // too small: untouched
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_template_name(nullptr, "a", "b", "c", "d", small, sizeof small));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_template_name("TITLE", nullptr, nullptr, nullptr, "\xC3(", nullptr, 0));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_template_name("TITLE", nullptr, nullptr, nullptr, "x", nullptr, 4));
}

}  // namespace
