// SPDX-License-Identifier: BSD-3-Clause
// The cue sheet reader: key search, track discovery, carried-over fields,
// times, text decoding and files that are no cue sheets.
#include "cue/cue_sheet.h"

#include "tests/app/text_shorthand.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace zem;

using namespace testing_support;

namespace {

std::string TimeText(const CueTime& time) {
    return std::to_string(time.minutes) + "/" + std::to_string(time.seconds) + "/" + std::to_string(time.frames);
}

// One line per track: number text | title | performer | start | finish.
std::string Describe(const CueSheet& sheet) {
    std::string out = "album " + U(sheet.performer) + " | " + U(sheet.title) + " | " + U(sheet.imageFile) + "\n";
    for (const CueTrack& track : sheet.tracks) {
        out += U(track.numberText) + " | " + U(track.title) + " | " + U(track.performer) + " | " +
               TimeText(track.start) + " | " + (track.finish ? TimeText(*track.finish) : "none") + "\n";
    }
    return out;
}

TEST(CueTimeParse, FixedDropsAfterEachField) {
    const struct {
        const char* value;
        const char* expected;
    } cases[] = {
        {"03:25:40", "3/25/40"},
        {"00:39:02\r\n  TRACK 02 AUDIO\r\n    TITLE ", "0/39/2"},
        {"5:02:33", "5/2/3"},     // the second field is read from 2:33, the third from 3
        {"100:12:34", "100/0/0"}, // the later fields are read from ":12:34" and ":34"
        {"", "0/0/0"},
        {"12", "12/0/0"},
        {"-1:-2:-3", "-1/-2/-3"},
        {" 07:08:09", "7/0/0"},   // white space counts toward the three dropped characters
        {"99999999999:00:00", "2147483647/99999999/99999"},
        {"ab:cd:ef", "0/0/0"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.expected, TimeText(ParseCueTime(W(test.value)))) << test.value;
}

TEST(QuotedValue, RunsToNextQuoteOrEnd) {
    const WString text = W("TITLE \"One\"\nTITLE \"Two\nmore lines");
    EXPECT_EQ("One", U(ExtractQuotedValue(text, 7)));
    EXPECT_EQ("Two\nmore lines", U(ExtractQuotedValue(text, 19)));
    EXPECT_EQ("", U(ExtractQuotedValue(text, text.size())));
    EXPECT_EQ("", U(ExtractQuotedValue(text, text.size() + 5)));
    EXPECT_EQ("", U(ExtractQuotedValue(W("\"x"), 0)));
    WString longValue(5000, WCHAR('a'));
    EXPECT_EQ(kMaxCueValueChars, ExtractQuotedValue(longValue, 0).size());
}

struct SheetCase {
    const char* name;
    const char* text;
    const char* expected;
};

const SheetCase kSheetCases[] = {
    {"well formed with pregap and REM/CATALOG/ISRC/FLAGS",
     "REM GENRE Rock\r\nCATALOG 0652637280326\r\nPERFORMER \"Corvane\"\r\nTITLE \"Tallowmere\"\r\n"
     "FILE \"Tallowmere.zem\" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE \"First\"\r\n    FLAGS DCP\r\n"
     "    ISRC GBAFL0700213\r\n    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    TITLE \"Second\"\r\n"
     "    PERFORMER \"Guest\"\r\n    INDEX 00 02:14:51\r\n    INDEX 01 02:15:26\r\n",
     "album Corvane | Tallowmere | Tallowmere.zem\n01 | First | Guest | 0/0/0 | 2/15/26\n"
     "02 | Second | Guest | 2/15/26 | none\n"},
    {"LF line ends", "TITLE \"A\"\nFILE \"a.zem\" WAVE\nTRACK 01 AUDIO\nTITLE \"T\"\nINDEX 01 01:02:03\n",
     "album  | A | a.zem\n01 | T |  | 1/2/3 | none\n"},
    {"TRACK 1 without a leading zero", "TRACK 1 AUDIO\nTITLE \"T\"\n", "album  | T | \n"},
    {"first track in data mode", "TRACK 01 MODE1/2352\nTRACK 02 AUDIO\n", "album  |  | \n"},
    {"tracks 1, 2 and 4", "TRACK 01 AUDIO\nTRACK 02 AUDIO\nTRACK 04 AUDIO\n",
     "album  |  | \n01 |  |  | 0/0/0 | none\n02 |  |  | 0/0/0 | none\n"},
    {"case and spacing of keys", "title \"low\"\nTITLE  \"two\"\nTRACK 01 AUDIO\n",
     "album  |  | \n01 |  |  | 0/0/0 | none\n"},
    {"CDTEXTFILE before FILE", "CDTEXTFILE \"disc.cdt\"\nFILE \"disc.zem\" WAVE\nTRACK 01 AUDIO\n",
     "album  |  | disc.cdt\n01 |  |  | 0/0/0 | none\n"},
    {"album title from track 1", "PERFORMER \"P\"\nTRACK 01 AUDIO\nTITLE \"Only\"\n",
     "album P | Only | \n01 | Only | P | 0/0/0 | none\n"},
    {"title and performer carried from later tracks",
     "PERFORMER \"Album\"\nTRACK 01 AUDIO\nTITLE \"t1\"\nTRACK 02 AUDIO\nTITLE \"t2\"\nPERFORMER \"p2\"\n"
     "TRACK 03 AUDIO\nTRACK 04 AUDIO\nTITLE \"t4\"\nPERFORMER \"p4\"\nTRACK 05 AUDIO\nTITLE \"t5\"\n",
     "album Album | t1 | \n01 | t1 | p2 | 0/0/0 | none\n02 | t2 | p2 | 0/0/0 | none\n"
     "03 | t4 | p4 | 0/0/0 | none\n04 | t4 | p4 | 0/0/0 | none\n05 | t5 | p4 | 0/0/0 | none\n"},
    {"image path cut at its last backslash", "FILE \"C:\\Music\\Album.zem\" WAVE\n",
     "album  |  | Album.zem\n"},
    {"forward slash kept", "FILE \"sub/Album.zem\" WAVE\n", "album  |  | sub/Album.zem\n"},
    {"missing closing quote", "TITLE \"Open\nTRACK 01 AUDIO\nINDEX 01 00:01:00\n",
     "album  | Open\nTRACK 01 AUDIO\nINDEX 01 00:01:00\n | \n01 |  |  | 0/1/0 | none\n"},
    {"no INDEX 01 in track 1", "TRACK 01 AUDIO\nTRACK 02 AUDIO\nINDEX 01 00:02:00\n",
     "album  |  | \n01 |  |  | 0/2/0 | none\n02 |  |  | 0/2/0 | none\n"},
    {"no INDEX 01 at all takes the finish from the start of the text",
     "INDEX 01 00:09:00\nTRACK 01 AUDIO\n", "album  |  | \n01 |  |  | 0/0/0 | 0/9/0\n"},
    {"empty finish value is absent", "TRACK 01 AUDIO\nINDEX 01 00:00:00\nINDEX 01 \"",
     "album  |  | \n01 |  |  | 0/0/0 | none\n"},
    {"empty text", "", "album  |  | \n"},
};

TEST(CueSheetParse, EdgeCases) {
    for (const SheetCase& test : kSheetCases)
        EXPECT_EQ(test.expected, Describe(ParseCueSheetText(W(test.text)))) << test.name;
}

TEST(CueSheetParse, TrackNumbersFromTenAndHundred) {
    std::string text;
    for (int number = 1; number <= 101; ++number)
        text += "TRACK " + std::string(number < 10 ? "0" : "") + std::to_string(number) + " AUDIO\n";
    CueSheet sheet = ParseCueSheetText(W(text + "TRACK 103 AUDIO\n"));
    ASSERT_EQ(101u, sheet.tracks.size());
    EXPECT_EQ("09", U(sheet.tracks[8].numberText));
    EXPECT_EQ("10", U(sheet.tracks[9].numberText));
    EXPECT_EQ("100", U(sheet.tracks[99].numberText));
    EXPECT_EQ(101, sheet.tracks[100].number);
    // Only the key's own spelling counts: 005 and 010 are no keys.
    EXPECT_EQ(0u, ParseCueSheetText(W("TRACK 001 AUDIO\n")).tracks.size());
    EXPECT_EQ(1u, ParseCueSheetText(W("TRACK 01 AUDIO\nTRACK 002 AUDIO\nTRACK 3 AUDIO")).tracks.size());
}

TEST(CueSheetParse, HostileSheetsStayBounded) {
    // Many track keys and one huge unterminated title: the tracks stop at the
    // limit and every value is cut, so memory stays small.
    std::string text;
    for (int number = 1; number <= kMaxCueTracks + 5; ++number)
        text += "TRACK " + std::string(number < 10 ? "0" : "") + std::to_string(number) + " AUDIO\n";
    text += "TITLE \"" + std::string(200000, 'x');
    CueSheet sheet = ParseCueSheetText(W(text));
    ASSERT_EQ(static_cast<size_t>(kMaxCueTracks), sheet.tracks.size());
    EXPECT_EQ(kMaxCueValueChars, sheet.tracks.front().title.size());
    EXPECT_EQ(kMaxCueValueChars, sheet.title.size());
}

TEST(CueSheetDecode, ByteOrderMarkCodePageAndZeroByte) {
    const struct {
        const char* name;
        Bytes bytes;
        const char* expected;
    } cases[] = {
        {"Windows-1252", {'C', 'a', 'f', 0xE9, ' ', 0x80}, "Caf\xC3\xA9 \xE2\x82\xAC"},
        {"UTF-8 with its mark", {0xEF, 0xBB, 0xBF, 'C', 'a', 'f', 0xC3, 0xA9}, "Caf\xC3\xA9"},
        {"UTF-8 without a mark", {'C', 'a', 'f', 0xC3, 0xA9, ' ', 0xE2, 0x82, 0xAC}, "Caf\xC3\xA9 \xE2\x82\xAC"},
        {"UTF-8 up to a zero byte", {0xC3, 0xA9, 0, 0xE9}, "\xC3\xA9"},
        {"one malformed sequence makes it ANSI", {0xC3, 0xA9, ' ', 0xE9}, "\xC3\x83\xC2\xA9 \xC3\xA9"},
        {"an overlong form makes it ANSI", {0xC0, 0xAF}, "\xC3\x80\xC2\xAF"},
        {"a cut-short sequence makes it ANSI", {'x', 0xE2, 0x82}, "x\xC3\xA2\xE2\x80\x9A"},
        {"a mark alone", {0xEF, 0xBB, 0xBF}, ""},
        {"text ends at a zero byte", {'A', 0, 'B'}, "A"},
        {"nothing", {}, ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.expected, U(DecodeCueSheetBytes(test.bytes))) << test.name;
}

TEST(CueSheetRead, FilesThatAreNoCueSheets) {
    TempDir dir;
    WriteFileBytes(dir.File("ok.cue"), BytesOf("\xEF\xBB\xBFTITLE \"x\"\r\nTRACK 01 AUDIO\r\n"));
    Bytes big(static_cast<size_t>(kMaxCueSheetBytes) + 1, ' ');
    const std::string track = "TRACK 01 AUDIO";
    std::copy(track.begin(), track.end(), big.begin());
    WriteFileBytes(dir.File("big.cue"), big);
    std::filesystem::create_directory(dir.File("folder.cue"));
    EXPECT_EQ(1u, ReadCueSheet(dir.WideFile("ok.cue").c_str()).tracks.size());
    EXPECT_EQ("x", U(ReadCueSheet(dir.WideFile("ok.cue").c_str()).title));
    for (const char* name : {"missing.cue", "big.cue", "folder.cue"}) {
        CueSheet sheet = ReadCueSheet(dir.WideFile(name).c_str());
        EXPECT_TRUE(sheet.tracks.empty()) << name;
        EXPECT_TRUE(sheet.title.empty()) << name;
    }
    EXPECT_TRUE(ReadCueSheet(nullptr).tracks.empty());
    EXPECT_TRUE(ReadCueSheet(WTXT("")).tracks.empty());
}

}  // namespace
