// SPDX-License-Identifier: BSD-3-Clause
#include "io/text_convert.h"

#include <gtest/gtest.h>

using namespace zem;

namespace {

TEST(IsValidUtf8, AcceptsWellFormedText) {
    const char* good[] = {
        "", "plain ASCII", "caf\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF",
        "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xF0\x90\x80\x80",
    };
    for (const char* text : good)
        EXPECT_TRUE(IsValidUtf8(text)) << text;
    EXPECT_TRUE(IsValidUtf8(nullptr));
}

TEST(IsValidUtf8, RejectsIllFormedText) {
    const char* bad[] = {
        "\x80",              // stray continuation byte
        "\xC0\x80",          // overlong NUL
        "\xC1\xBF",          // overlong 2-byte form
        "\xE0\x9F\xBF",      // overlong 3-byte form
        "\xF0\x8F\xBF\xBF",  // overlong 4-byte form
        "\xED\xA0\x80",      // surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xF5\x80\x80\x80",  // lead byte never used
        "\xFF",              // lead byte never used
        "\xC3" "A",          // continuation missing
        "ok\xE2\x82",        // cut short by the terminator
        "ok\xF0\x9F\x98",    // cut short by the terminator
    };
    for (size_t i = 0; i < sizeof(bad) / sizeof(bad[0]); ++i)
        EXPECT_FALSE(IsValidUtf8(bad[i])) << "case " << i;
}

TEST(IsValidUtf8, AgreesWithTheEncoderForEveryUnitOutsideTheSurrogates) {
    for (uint32_t c = 1; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const WCHAR text[] = {static_cast<WCHAR>(c), 0};
        ASSERT_TRUE(IsValidUtf8(WideToUtf8(text).c_str())) << c;
    }
    const WCHAR lone[] = {0xD800, 0};
    EXPECT_FALSE(IsValidUtf8(WideToUtf8(lone).c_str()));
}

TEST(WellFormedUtf8Length, CountsOneSequenceOrRejectsIt) {
    const struct {
        const char* text;
        size_t length;
    } cases[] = {
        {"a\xC3", 1},
        {"\xC3\xA9z", 2},
        {"\xE2\x82\xAC", 3},
        {"\xF0\x9F\x8E\xB5", 4},
        {"", 1},              // the terminator is a one-byte sequence
        {"\xED\xA0\x80", 0},  // surrogate
        {"\xE2\x82", 0},      // cut short by the terminator
        {"\xC0\x80", 0},      // overlong
        {"\xFF", 0},          // lead byte never used
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.length, WellFormedUtf8Length(c.text)) << c.text;
}

}  // namespace
