// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/match_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using extorra::Match_List;

TEST(MatchList, StartsAsOneEmptyEntryWithCountIndexMinusOne) {
    Match_List list;
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_EQ(list[0], "");
    EXPECT_EQ(list.Count_Index(), -1);
    EXPECT_EQ(list.Capacity(), 32768u);
}

TEST(MatchList, TheFirstMatchOverwritesTheEmptyEntryAndLaterOnesAppend) {
    Match_List list;
    ASSERT_TRUE(list.Append("a"));
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_EQ(list[0], "a");
    EXPECT_EQ(list.Count_Index(), 0);
    ASSERT_TRUE(list.Append("b"));
    ASSERT_TRUE(list.Append("c"));
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(list[1], "b");
    EXPECT_EQ(list[2], "c");
    EXPECT_EQ(list.Count_Index(), 2);
}

TEST(MatchList, AnEmptyLastEntryIsNotCountedAndGetsOverwritten) {
    Match_List list;
    ASSERT_TRUE(list.Append("a"));
    ASSERT_TRUE(list.Append(""));
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_EQ(list.Count_Index(), 0);
    ASSERT_TRUE(list.Append("b"));
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_EQ(list[1], "b");
}

TEST(MatchList, ResetGoesBackToTheSingleEmptyEntry) {
    Match_List list(4);
    list.Append("a");
    list.Append("b");
    list.Reset();
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_EQ(list[0], "");
    EXPECT_EQ(list.Count_Index(), -1);
    EXPECT_EQ(list.Capacity(), 4u);
}

TEST(MatchList, RefusesToStoreBeyondItsCapacity) {
    Match_List list(3);
    EXPECT_TRUE(list.Append("a"));
    EXPECT_TRUE(list.Append("b"));
    EXPECT_TRUE(list.Append("c"));
    EXPECT_FALSE(list.Append("d"));
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(list[2], "c");
    EXPECT_EQ(list.Count_Index(), 2);
}

TEST(MatchList, AZeroCapacityStillHoldsOneEntry) {
    Match_List list(0);
    EXPECT_EQ(list.Capacity(), 1u);
    EXPECT_TRUE(list.Append("a"));
    EXPECT_FALSE(list.Append("b"));
}

TEST(MatchList, HoldsExactly32768EntriesIndexedUpTo32767) {
    Match_List list;
    for (int index = 0; index < 32768; ++index)
        ASSERT_TRUE(list.Append(std::to_string(index))) << index;
    EXPECT_FALSE(list.Append("one too many"));
    ASSERT_EQ(list.Size(), 32768u);
    EXPECT_EQ(list.Count_Index(), 32767);
    EXPECT_EQ(list[32767], "32767");
}

}  // namespace
