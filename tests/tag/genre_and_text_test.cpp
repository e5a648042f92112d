// SPDX-License-Identifier: BSD-3-Clause
// The genre table and the small text rules (case folding, decimal numbers).
#include "io/decimal_text.h"
#include "tag/genre_names.h"
#include "tag/tag_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

using namespace zem;

TEST(GenreNames, HoldsAllNamesInOrderWithTheirOddSpellings) {
    ASSERT_EQ(148, kGenreCount);
    EXPECT_STREQ("Blues", GenreNames[0]);
    EXPECT_STREQ("Rock", GenreNames[17]);
    EXPECT_STREQ("Psychadelic", GenreNames[67]);
    EXPECT_STREQ("Psychedelic Rock", GenreNames[93]);
    EXPECT_STREQ("Contemporary C", GenreNames[140]);
    EXPECT_STREQ("JPop", GenreNames[146]);
    EXPECT_STREQ("SynthPop", GenreNames[147]);
    std::set<std::string> distinct;
    for (const char* name : GenreNames) {
        ASSERT_NE(nullptr, name);
        EXPECT_GT(std::strlen(name), 0u);
        distinct.insert(name);
    }
    EXPECT_EQ(148u, distinct.size());
}

TEST(GenreNames, NumberOutsideTheTableIsUndefined) {
    EXPECT_STREQ("Blues", GenreNameOf(0));
    EXPECT_STREQ("SynthPop", GenreNameOf(147));
    EXPECT_STREQ("Undefined", GenreNameOf(148));
    EXPECT_STREQ("Undefined", GenreNameOf(255));
    EXPECT_STREQ("Undefined", GenreNameOf(-1));
}

TEST(GenreNames, LookupIgnoresAsciiCaseAndNeedsTheWholeName) {
    EXPECT_EQ(146, GenreNumberOf("jpop"));
    EXPECT_EQ(146, GenreNumberOf("JPOP"));
    EXPECT_EQ(0, GenreNumberOf("bLuEs"));
    EXPECT_EQ(79, GenreNumberOf("hard rock"));
    EXPECT_EQ(kNoGenre, GenreNumberOf("Hard Rock "));
    EXPECT_EQ(kNoGenre, GenreNumberOf("Blue"));
    EXPECT_EQ(kNoGenre, GenreNumberOf("Undefined"));
    EXPECT_EQ(kNoGenre, GenreNumberOf(""));
    EXPECT_EQ(kNoGenre, GenreNumberOf(nullptr));
    for (int number = 0; number < kGenreCount; ++number)
        EXPECT_EQ(number, GenreNumberOf(GenreNames[number])) << GenreNames[number];
}

TEST(TagText, CaseFoldingIsAsciiOnly) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase(WTXT("TITLE"), WTXT("title")));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(WTXT("Title"), WTXT("Titles")));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(WTXT("Titl"), WTXT("Title")));
    // U+00C9 and U+00E9 are the same letter in two cases, but not ASCII.
    EXPECT_FALSE(EqualsIgnoringAsciiCase(WTXT("\u00C9"), WTXT("\u00E9")));
    // '@' and '`' sit one below 'A' and 'a': folding must not touch them.
    EXPECT_FALSE(EqualsIgnoringAsciiCase(WTXT("@"), WTXT("`")));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(WTXT("["), WTXT("{")));
    EXPECT_FALSE(EqualsIgnoringAsciiCase<WCHAR>(nullptr, WTXT("")));
}

TEST(TagText, DecimalNumbersAreReadLikeTheCLibraryDoes) {
    EXPECT_EQ(3, ParseDecimalNumber("3"));
    EXPECT_EQ(12, ParseDecimalNumber(" \t\n12/15"));
    EXPECT_EQ(-7, ParseDecimalNumber("-7"));
    EXPECT_EQ(8, ParseDecimalNumber("+8x"));
    EXPECT_EQ(0, ParseDecimalNumber("x8"));
    EXPECT_EQ(0, ParseDecimalNumber("- 8"));
    EXPECT_EQ(0, ParseDecimalNumber(""));
    EXPECT_EQ(0, ParseDecimalNumber(nullptr));
    EXPECT_EQ(300, ParseDecimalNumber("300"));
    // Beyond 32 bits: saturates at the limits instead of overflowing.
    EXPECT_EQ(2147483647, ParseDecimalNumber("4294967297"));
    EXPECT_EQ(2147483647, ParseDecimalNumber("2147483648"));
    EXPECT_EQ(-2147483647 - 1, ParseDecimalNumber("-2147483648"));
    EXPECT_EQ(-2147483647 - 1, ParseDecimalNumber("-99999999999999999999"));
}

TEST(TagText, StorableNamesArePrintableAscii) {
    EXPECT_TRUE(IsStorableFieldName(WTXT("Title")));
    EXPECT_TRUE(IsStorableFieldName(WTXT("")));
    EXPECT_TRUE(IsStorableFieldName(WTXT(" ~")));
    EXPECT_FALSE(IsStorableFieldName(WTXT("Tab\t")));
    EXPECT_FALSE(IsStorableFieldName(WTXT("Caf\u00E9")));
    EXPECT_FALSE(IsStorableFieldName(WTXT("\x7F")));
    EXPECT_FALSE(IsStorableFieldName(nullptr));
}
