// SPDX-License-Identifier: BSD-3-Clause
#include "io/text_convert.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

using namespace zem;

namespace {

WString Units(std::initializer_list<char16_t> units) { return WString(units.begin(), units.end()); }

std::string Bytes(std::initializer_list<unsigned char> bytes) { return std::string(bytes.begin(), bytes.end()); }

// The input in a heap block of exactly its size (NUL included), so that a read
// past the terminator is caught by the address sanitizer.
std::unique_ptr<char[]> Exact(const std::string& text) {
    std::unique_ptr<char[]> block(new char[text.size() + 1]);
    std::copy(text.begin(), text.end(), block.get());
    block[text.size()] = 0;
    return block;
}

TEST(WideToUtf8, EncodesOneTwoAndThreeByteForms) {
    EXPECT_EQ(WideToUtf8(Units({0x00E9}).c_str()), Bytes({0xC3, 0xA9}));
    EXPECT_EQ(WideToUtf8(Units({0x20AC}).c_str()), Bytes({0xE2, 0x82, 0xAC}));
    EXPECT_EQ(WideToUtf8(Units({0x41, 0x7F}).c_str()), "A\x7F");
    EXPECT_EQ(WideToUtf8(Units({0x80}).c_str()), Bytes({0xC2, 0x80}));
    EXPECT_EQ(WideToUtf8(Units({0x7FF}).c_str()), Bytes({0xDF, 0xBF}));
    EXPECT_EQ(WideToUtf8(Units({0x800}).c_str()), Bytes({0xE0, 0xA0, 0x80}));
    EXPECT_EQ(WideToUtf8(Units({0xFFFF}).c_str()), Bytes({0xEF, 0xBF, 0xBF}));
}

TEST(WideToUtf8, EncodesSurrogatesOneUnitAtATime) {
    // U+1F600 as the pair D83D DE00: two 3-byte forms, not one 4-byte form.
    EXPECT_EQ(WideToUtf8(Units({0xD83D, 0xDE00}).c_str()), Bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}));
    EXPECT_EQ(WideToUtf8(Units({0xDC00, 0x41}).c_str()), Bytes({0xED, 0xB0, 0x80, 0x41}));
}

TEST(WideToUtf8, NoInputGivesEmptyText) {
    EXPECT_EQ(WideToUtf8(nullptr), "");
    EXPECT_EQ(WideToUtf8(WTXT("")), "");
}

TEST(Utf8ToWide, DecodesOneTwoAndThreeByteForms) {
    EXPECT_EQ(Utf8ToWide("\xC3\xA9"), Units({0x00E9}));
    EXPECT_EQ(Utf8ToWide("\xE2\x82\xAC"), Units({0x20AC}));
    EXPECT_EQ(Utf8ToWide("A\xC3\xA9" "B"), Units({0x41, 0x00E9, 0x42}));
    EXPECT_EQ(Utf8ToWide("\xEF\xBF\xBF"), Units({0xFFFF}));
}

TEST(Utf8ToWide, SurrogatesEncodedUnitByUnitComeBackAsAPair) {
    EXPECT_EQ(Utf8ToWide("\xED\xA0\xBD\xED\xB8\x80"), Units({0xD83D, 0xDE00}));
}

TEST(Utf8ToWide, ContinuationBytesAreNotChecked) {
    // C3 41: the 'A' is taken as a continuation byte.
    EXPECT_EQ(Utf8ToWide("\xC3" "A"), Units({0x00C1}));
    // A stray continuation byte leads a 2-byte sequence.
    EXPECT_EQ(Utf8ToWide("\xA9" "B"), Units({0x0A42}));
}

TEST(Utf8ToWide, LeadBytesFromF0UpStartThreeByteSequences) {
    // Only the low four bits of the lead count.
    EXPECT_EQ(Utf8ToWide("\xFF" "AB"), Units({0xF042}));
    // F0 9F 98 80 (U+1F600 in 4 bytes): F0 9F 98 is one character, then 80
    // leads a 2-byte sequence that the terminator cuts short.
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), Units({0x07D8}));
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80" "A"), Units({0x07D8, 0x0001}));
}

TEST(Utf8ToWide, SequenceCutShortByTheTerminatorGivesNoCharacter) {
    const std::string cases[][2] = {
        {"A\xC3", "A"}, {"A\xE2\x82", "A"}, {"A\xE2", "A"}, {"\xC3", ""}, {"\xF0\x9F", ""}, {"ab\xFF", "ab"},
    };
    for (const auto& c : cases) {
        auto input = Exact(c[0]);
        WString expected(c[1].begin(), c[1].end());
        EXPECT_EQ(Utf8ToWide(input.get()), expected) << "input of " << c[0].size() << " bytes";
    }
}

TEST(Utf8ToWide, ResultEndsAtADecodedNul) {
    // C0 80 decodes to U+0000; the text stops there.
    EXPECT_EQ(Utf8ToWide("A\xC0\x80" "B"), Units({0x41}));
}

TEST(Utf8ToWide, NoInputGivesEmptyText) {
    EXPECT_EQ(Utf8ToWide(nullptr), WString());
    EXPECT_EQ(Utf8ToWide(""), WString());
}

TEST(Utf8RoundTrip, EveryNonNulUnitSurvivesBothDirections) {
    WString all;
    for (uint32_t c = 1; c <= 0xFFFF; ++c)
        all += static_cast<WCHAR>(c);
    std::string utf8 = WideToUtf8(all.c_str());
    size_t expectedBytes = 0x7F + (0x800 - 0x80) * 2 + (0x10000 - 0x800) * 3;
    EXPECT_EQ(utf8.size(), expectedBytes);
    EXPECT_EQ(Utf8ToWide(utf8.c_str()), all);
}

TEST(Utf8RoundTrip, RandomTextsSurvive) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<uint32_t> unit(1, 0xFFFF);
    for (int round = 0; round < 200; ++round) {
        WString text;
        for (int i = 0, n = static_cast<int>(random() % 40); i < n; ++i)
            text += static_cast<WCHAR>(unit(random));
        ASSERT_EQ(Utf8ToWide(WideToUtf8(text.c_str()).c_str()), text) << "round " << round;
    }
}

}  // namespace
