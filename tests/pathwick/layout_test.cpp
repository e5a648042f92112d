// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/core/layout.h"

#include <gtest/gtest.h>

using namespace pathwick;

TEST(Layout, ClampsTheSplitterAndPlacesThePanes) {
    struct Case {
        int width, height, splitter, expected;
    };
    const Case cases[] = {
        {800, 600, 192, 192}, {800, 600, 0, 30},   {800, 600, 29, 30},   {800, 600, 30, 30},
        {800, 600, 770, 770}, {800, 600, 771, 770}, {800, 600, 5000, 770}, {50, 20, 192, 20},
        {100, 20, -7, 30},
    };
    for (const auto& c : cases) {
        PaneLayout layout{};
        ASSERT_TRUE(ComputeLayout(c.width, c.height, c.splitter, layout));
        EXPECT_EQ(layout.splitterPosition, c.expected) << c.width << " " << c.splitter;
        EXPECT_EQ(layout.tree.left, 0);
        EXPECT_EQ(layout.tree.width, c.expected);
        EXPECT_EQ(layout.bar.left, c.expected);
        EXPECT_EQ(layout.bar.width, SplitterWidth);
        EXPECT_EQ(layout.list.left, c.expected + SplitterWidth);
        EXPECT_EQ(layout.list.left + layout.list.width, c.width);
        for (const PaneRect& pane : {layout.tree, layout.bar, layout.list}) {
            EXPECT_EQ(pane.top, 0);
            EXPECT_EQ(pane.height, c.height);
        }
    }
}

TEST(Layout, TooSmallKeepsThePreviousLayout) {
    const std::pair<int, int> sizes[] = {{49, 600}, {800, 19}, {0, 0}, {-5, 100}};
    for (const auto& [width, height] : sizes) {
        PaneLayout layout{};
        layout.splitterPosition = 123;
        EXPECT_FALSE(ComputeLayout(width, height, 192, layout));
        EXPECT_EQ(layout.splitterPosition, 123);
    }
}

TEST(Layout, DragConvertsTwipsBackToPixels) {
    struct Case {
        int xTwips;
        double twipsPerPixel;
        int barLeft, expected;
    };
    const Case cases[] = {
        {0, 15, 192, 192},  {150, 15, 192, 202}, {-150, 15, 192, 182}, {7, 15, 100, 100},
        {8, 15, 100, 101},  {30, 20, 100, 102},  {10, 20, 100, 100},   {-1000000000, 1, 0, -1000000000},
        {2000000000, 0.5, 0, 1000000000}, {5, 0, 77, 77},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitterFromDrag(c.xTwips, c.twipsPerPixel, c.barLeft), c.expected) << c.xTwips;
}
