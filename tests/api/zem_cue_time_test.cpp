// SPDX-License-Identifier: BSD-3-Clause
// zem_cue_track_time(): a track's INDEX 01 as the sheet writes it, whatever
// the rate its blocks are counted at, malformed times included.
#include <zem/zem.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

TEST(ZemCueTrackTime, GivesTheTimeAsWritten) {
    const std::string sheet = "FILE \"image.zem\" WAVE\n"
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
    zem_cue_close(cue);
}

}  // namespace
