// SPDX-License-Identifier: BSD-3-Clause
#include "io/text_convert.h"

#include <gtest/gtest.h>

using namespace zem;

namespace {

// Windows-1252 bytes 0x80..0x9F; the five bytes the page leaves undefined map
// to the C1 control of the same value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

WCHAR ExpectedWide(unsigned byte) { return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : byte; }

std::string AllNonNulBytes() {
    std::string bytes;
    for (unsigned b = 1; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

TEST(AnsiToWide, MapsEveryByteOfTheCodePage) {
    WString wide = AnsiToWide(AllNonNulBytes().c_str());
    ASSERT_EQ(wide.size(), 255u);
    for (unsigned b = 1; b < 256; ++b)
        EXPECT_EQ(static_cast<unsigned>(wide[b - 1]), static_cast<unsigned>(ExpectedWide(b))) << "byte " << b;
}

TEST(WideToAnsi, EveryByteRoundTrips) {
    std::string bytes = AllNonNulBytes();
    EXPECT_EQ(WideToAnsi(AnsiToWide(bytes.c_str()).c_str()), bytes);
}

TEST(WideToAnsi, CharacterOutsideTheCodePageBecomesQuestionMark) {
    const WCHAR text[] = {0x61, 0x4E2D, 0x62, 0};
    EXPECT_EQ(WideToAnsi(text), "a?b");
}

TEST(WideToAnsi, EmptyOrNoInputGivesEmptyText) {
    EXPECT_EQ(WideToAnsi(WTXT("")), "");
    EXPECT_EQ(WideToAnsi(nullptr), "");
    EXPECT_EQ(AnsiToWide(""), WString());
    EXPECT_EQ(AnsiToWide(nullptr), WString());
}

TEST(WideToAnsi, SingleCharacterFitsItsRoom) {
    EXPECT_EQ(WideToAnsi(WTXT("x")), "x");
    const WCHAR euro[] = {0x20AC, 0};
    EXPECT_EQ(WideToAnsi(euro), "\x80");
}

TEST(Utf8ToAnsi, GoesThroughWideText) {
    EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
    EXPECT_EQ(Utf8ToAnsi(nullptr), "");
}

TEST(AnsiToUtf8, GoesThroughWideText) {
    EXPECT_EQ(AnsiToUtf8("caf\xE9 \x80\x81"), "caf\xC3\xA9 \xE2\x82\xAC\xC2\x81");
    EXPECT_EQ(AnsiToUtf8(nullptr), "");
}

TEST(AnsiUtf8RoundTrip, EveryByteSurvives) {
    std::string bytes = AllNonNulBytes();
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(bytes.c_str()).c_str()), bytes);
}

}  // namespace
