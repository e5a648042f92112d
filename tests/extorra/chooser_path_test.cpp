// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/chooser_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

using extorra::Chooser_Buffer_Size;
using extorra::Folder_From_Chooser;

// A buffer as the chooser leaves it: spaces, then the path with its zero.
std::array<char, Chooser_Buffer_Size> Written(const char* path) {
    std::array<char, Chooser_Buffer_Size> buffer;
    std::fill(buffer.begin(), buffer.end() - 1, ' ');
    buffer.back() = '\0';
    std::memcpy(buffer.data(), path, std::strlen(path) + 1);
    return buffer;
}

TEST(ChooserPath, TheBufferHoldsAFullAnsiPath) { EXPECT_GE(Chooser_Buffer_Size, 260u); }

TEST(ChooserPath, CancelGivesTheEmptyString) {
    auto buffer = Written("C:\\Music");
    EXPECT_EQ(Folder_From_Chooser(false, buffer.data(), buffer.size()), "");
    EXPECT_EQ(Folder_From_Chooser(true, nullptr, 0), "");
}

TEST(ChooserPath, CutsBeforeTheFirstZeroAndAppendsABackslash) {
    auto buffer = Written("C:\\Music\\Albums");
    EXPECT_EQ(Folder_From_Chooser(true, buffer.data(), buffer.size()), "C:\\Music\\Albums\\");
}

TEST(ChooserPath, ADriveRootKeepsItsSingleBackslash) {
    auto buffer = Written("D:\\");
    EXPECT_EQ(Folder_From_Chooser(true, buffer.data(), buffer.size()), "D:\\");
}

TEST(ChooserPath, SpacesInsideThePathStay) {
    auto buffer = Written("C:\\My Music ");
    EXPECT_EQ(Folder_From_Chooser(true, buffer.data(), buffer.size()), "C:\\My Music \\");
}

TEST(ChooserPath, ABufferWithoutAZeroIsReadOnlyToItsEnd) {
    const char unterminated[4] = {'C', ':', '\\', 'x'};
    EXPECT_EQ(Folder_From_Chooser(true, unterminated, sizeof unterminated), "C:\\x\\");
}

TEST(ChooserPath, AnEmptyPathCountsAsNone) {
    auto buffer = Written("");
    EXPECT_EQ(Folder_From_Chooser(true, buffer.data(), buffer.size()), "");
}

TEST(ChooserPath, TheLongestPathFits) {
    std::string longest = "C:\\" + std::string(256, 'a');
    ASSERT_EQ(longest.size(), 259u);
    auto buffer = Written(longest.c_str());
    EXPECT_EQ(Folder_From_Chooser(true, buffer.data(), buffer.size()), longest + "\\");
}

}  // namespace
