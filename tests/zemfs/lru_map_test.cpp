// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/lru_map.h"

#include <gtest/gtest.h>

#include <string>

namespace zemfs {
namespace {

// Past its bound the map drops the least recently used entries, one at a
// time, never everything at once.
TEST(LruMapTest, DropsTheLeastRecentlyUsedOneAtATime) {
    LruMap<int> map(30);
    for (int i = 0; i < 3; ++i)
        map.Put("k" + std::to_string(i), i, 10);
    ASSERT_NE(map.Find("k0"), nullptr);  // k1 is now the least recently used
    map.Put("k3", 3, 10);
    EXPECT_EQ(map.Find("k1"), nullptr);
    for (const char* kept : {"k0", "k2", "k3"})
        EXPECT_NE(map.Find(kept), nullptr) << kept;
    EXPECT_EQ(map.Size(), 3u);
    map.Put("k4", 4, 20);  // takes the room of the two least recently used: k0, k2
    EXPECT_EQ(map.Find("k0"), nullptr);
    EXPECT_EQ(map.Find("k2"), nullptr);
    ASSERT_NE(map.Find("k3"), nullptr);
    EXPECT_EQ(*map.Find("k4"), 4);
    EXPECT_EQ(map.Cost(), 30u);
    map.Put("huge", 5, 31);  // larger than the bound: not kept, nothing dropped
    EXPECT_EQ(map.Find("huge"), nullptr);
    EXPECT_EQ(map.Size(), 2u);
    map.Put("k3", 33, 5);  // replaced, with its new cost
    EXPECT_EQ(*map.Find("k3"), 33);
    EXPECT_EQ(map.Cost(), 25u);
}

}  // namespace
}  // namespace zemfs
