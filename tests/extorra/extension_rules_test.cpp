// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/extension_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace extorra;

TEST(ExtensionLength, OnlyExactlyThreeCharactersPass) {
    EXPECT_TRUE(Has_Extension_Length("qrb"));
    EXPECT_TRUE(Has_Extension_Length("ZEM"));
    EXPECT_FALSE(Has_Extension_Length(""));
    EXPECT_FALSE(Has_Extension_Length("qr"));
    EXPECT_FALSE(Has_Extension_Length("qrbx"));
}

TEST(ExtensionLength, SpacesAndAnyOtherCharactersCount) {
    EXPECT_TRUE(Has_Extension_Length("   "));
    EXPECT_TRUE(Has_Extension_Length("qr "));
    EXPECT_TRUE(Has_Extension_Length(".ab"));
    EXPECT_TRUE(Has_Extension_Length("*?\\"));
    EXPECT_FALSE(Has_Extension_Length(" qrb"));
}

TEST(ExtensionPattern, PutsADotInFrontAndLowerCases) {
    EXPECT_EQ(Extension_Pattern("qrb"), ".qrb");
    EXPECT_EQ(Extension_Pattern("QrB"), ".qrb");
    EXPECT_EQ(Extension_Pattern(".QRB"), ".qrb");
    EXPECT_EQ(Extension_Pattern(""), ".");
}

TEST(ExtensionPattern, ALeadingDotIsNotDoubledButADotAndTwoLettersGetAnother) {
    // What the run hands over is "." + the box's text, so ".ab" arrives as "..ab".
    EXPECT_EQ(Extension_Pattern("..ab"), "..ab");
    EXPECT_EQ(Extension_Pattern(".ab"), ".ab");
}

TEST(LowerAscii, ChangesOnlyCapitalLetters) {
    EXPECT_EQ(Lower_Ascii("AZaz09@[`{ .\\"), "azaz09@[`{ .\\");
    std::string high("\xC9\xD6", 2);
    EXPECT_EQ(Lower_Ascii(high), high);
}

TEST(LastFour, TakesTheTailOrTheWholeShortName) {
    EXPECT_EQ(Last_Four("song.qrb"), ".qrb");
    EXPECT_EQ(Last_Four(".qrb"), ".qrb");
    EXPECT_EQ(Last_Four("qrb"), "qrb");
    EXPECT_EQ(Last_Four(""), "");
}

TEST(MatchesExtension, ComparesTheLastFourCharactersWithoutCase) {
    EXPECT_TRUE(Matches_Extension("SONG.QRB", ".qrb"));
    EXPECT_TRUE(Matches_Extension("song.qrb", ".qrb"));
    EXPECT_TRUE(Matches_Extension("a.b.QrB", ".qrb"));
    EXPECT_FALSE(Matches_Extension("song.qrbx", ".qrb"));
    EXPECT_FALSE(Matches_Extension("song.zem", ".qrb"));
    EXPECT_FALSE(Matches_Extension("songqrb", ".qrb"));
    EXPECT_FALSE(Matches_Extension("song.qrb ", ".qrb"));
}

TEST(MatchesExtension, TheBareExtensionDoesNotMatchButADotAndItDoes) {
    EXPECT_FALSE(Matches_Extension("qrb", ".qrb"));
    EXPECT_FALSE(Matches_Extension("QRB", ".qrb"));
    EXPECT_TRUE(Matches_Extension(".qrb", ".qrb"));
    EXPECT_TRUE(Matches_Extension(".QRB", ".qrb"));
}

TEST(MatchesExtension, NamesShorterThanFourNeverMatchAFourCharacterPattern) {
    EXPECT_FALSE(Matches_Extension("", ".qrb"));
    EXPECT_FALSE(Matches_Extension("b", ".qrb"));
    EXPECT_FALSE(Matches_Extension("rb", ".qrb"));
    EXPECT_FALSE(Matches_Extension(".rb", ".qrb"));
}

TEST(MatchesExtension, ADotAndTwoLettersLookForTwoDots) {
    EXPECT_TRUE(Matches_Extension("song..ab", "..ab"));
    EXPECT_TRUE(Matches_Extension("..AB", "..ab"));
    EXPECT_FALSE(Matches_Extension("song.ab", "..ab"));
    EXPECT_FALSE(Matches_Extension("song.xab", "..ab"));
}

TEST(MatchesExtension, DotStarMatchesEveryFile) {
    EXPECT_TRUE(Matches_Extension("anything", ".*"));
    EXPECT_TRUE(Matches_Extension("a", ".*"));
    EXPECT_FALSE(Matches_Extension("anything", ".**"));
}

TEST(RenamedPath, ReplacesTheLastThreeCharactersWithTheTextAsTyped) {
    EXPECT_EQ(Renamed_Path("C:\\Music\\SONG.QRB", "zem"), "C:\\Music\\SONG.zem");
    EXPECT_EQ(Renamed_Path("C:\\Music\\SONG.QRB", "ZEM"), "C:\\Music\\SONG.ZEM");
    EXPECT_EQ(Renamed_Path("C:\\Music\\Song.Qrb", "ZeM"), "C:\\Music\\Song.ZeM");
    EXPECT_EQ(Renamed_Path("C:\\x\\.qrb", "zem"), "C:\\x\\.zem");
    EXPECT_EQ(Renamed_Path("C:\\x\\a..ab", " z "), "C:\\x\\a. z ");
}

TEST(RenamedPath, AnEntryShorterThanThreeCharactersIsReplacedWhole) {
    EXPECT_EQ(Renamed_Path("ab", "zem"), "zem");
    EXPECT_EQ(Renamed_Path("", "zem"), "zem");
    EXPECT_EQ(Renamed_Path("abc", "zem"), "zem");
}

}  // namespace
