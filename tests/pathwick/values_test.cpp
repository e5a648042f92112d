// SPDX-License-Identifier: BSD-3-Clause
// Size cells, sort directions and comparison results of the list.
#include "pathwick/core/size_text.h"
#include "pathwick/core/sort_state.h"
#include "pathwick/core/tree_path.h"

#include <gtest/gtest.h>

using namespace pathwick;

TEST(SizeText, RoundsUpToWholeKilobytesAndGroups) {
    struct Case {
        uint32_t high, low;
        const wchar_t* separator;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0, 0, L",", L"0KB"},
        {0, 1, L",", L"1KB"},
        {0, 1024, L",", L"1KB"},
        {0, 1025, L",", L"2KB"},
        {0, 1024 * 999, L",", L"999KB"},
        {0, 1024 * 1000, L",", L"1,000KB"},
        {0, 1024 * 1000, L"\u00a0", L"1\u00a0000KB"},
        {1, 0x2A05F200u, L",", L"4,882,813KB"},  // 5,000,000,000 bytes
        {0, 0xFFFFFFFFu, L".", L"4.194.304KB"},
        {0xFFFFFFFFu, 0xFFFFFFFFu, L",", L"18,014,398,509,481,984KB"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatKilobytes(c.high, c.low, c.separator), c.expected);
}

TEST(SortState, EachColumnKeepsItsOwnDirection) {
    SortState state;
    state.ResetColumns(4);
    // Column clicked -> expected key, order, parameter.
    struct Step {
        int column, key, order;
        unsigned parameter;
    };
    const Step steps[] = {
        {1, 0, 1, 0x80000000u},  // the sort key already: reverses
        {1, 0, 0, 0},            // and back
        {2, 1, 0, 1},            // another column: its own (ascending) direction
        {2, 1, 1, 0x80000001u},
        {3, 2, 0, 2},
        {2, 1, 1, 0x80000001u},  // back to column 2: descending as it was left
        {2, 1, 0, 1},
        {5, 1, 0, 1},            // no such column: nothing changes
        {0, 1, 0, 1},
    };
    for (const auto& step : steps) {
        state.ClickColumn(step.column);
        EXPECT_EQ(state.SortKey(), step.key) << "click " << step.column;
        EXPECT_EQ(state.SortOrder(), step.order) << "click " << step.column;
        EXPECT_EQ(state.SortParameter(), step.parameter);
    }
}

TEST(SortState, RefillKeepsTheShownDirectionOfTheSortColumn) {
    SortState state;
    state.ResetColumns(4);
    state.ClickColumn(3);
    state.ClickColumn(3);
    ASSERT_EQ(state.SortOrder(), 1);
    state.ResetColumns(4);  // the list was filled again
    EXPECT_EQ(state.Tag(3), -1);
    EXPECT_EQ(state.Tag(2), 0);
    state.ClickColumn(3);  // so this click still reverses what is shown
    EXPECT_EQ(state.SortOrder(), 0);
    state.ResetColumns(2);  // a key beyond the new columns stays as it is
    EXPECT_EQ(state.SortKey(), 2);
    EXPECT_EQ(state.Tag(3), 0);
}

TEST(SortState, ComparisonUsesTheLowSixteenBitsSigned) {
    struct Case {
        long status;
        unsigned parameter;
        int expected;
    };
    const Case cases[] = {
        {0, 0, 0},          {1, 0, 1},           {0xFFFF, 0, -1},          {0xFFFF, 0x80000000u, 1},
        {0x00010005, 3, 5}, {0x7FFF, 0, 32767},  {0x8000, 0, -32768},      {0x8000, 0x80000002u, 32768},
        {0, 0x80000000u, 0}, {-2, 0, -2},
    };
    for (const auto& c : cases) EXPECT_EQ(ComparisonResult(c.status, c.parameter), c.expected) << c.status;
}

TEST(TreePath, StepsGrowOneComponentAtATime) {
    using Steps = std::vector<std::wstring>;
    EXPECT_EQ(PathSteps(L"", L"\\"), Steps{});
    EXPECT_EQ(PathSteps(L"Desktop", L"\\"), Steps{L"Desktop"});
    EXPECT_EQ(PathSteps(L"Desktop\\My Computer\\ (Z:)", L"\\"),
              (Steps{L"Desktop", L"Desktop\\My Computer", L"Desktop\\My Computer\\ (Z:)"}));
    EXPECT_EQ(PathSteps(L"a//b", L"//"), (Steps{L"a", L"a//b"}));
    EXPECT_EQ(PathSteps(L"a\\", L"\\"), (Steps{L"a", L"a\\"}));
    EXPECT_EQ(PathSteps(L"a\\b", L""), Steps{L"a\\b"});
}
