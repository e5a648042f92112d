// SPDX-License-Identifier: BSD-3-Clause
// MultiByteToWideChar and WideCharToMultiByte for the ANSI code page
// (Windows-1252) and UTF-8.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

WString DecodeCodePage(UINT codePage, const std::string& bytes, DWORD flags = 0) {
    WString wide(bytes.size() * 2 + 1, 0);
    int count = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                                    static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(count));
    return wide;
}

std::string ToBytes(UINT codePage, const WString& wide) {
    std::string bytes(wide.size() * 4 + 1, 0);
    int count = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0],
                                    static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<size_t>(count));
    return bytes;
}

WString Units(std::initializer_list<char16_t> units) { return WString(units.begin(), units.end()); }

TEST(AnsiCodePage, EveryByteMapsAsWindows1252) {
    WString wide = DecodeCodePage(CP_ACP, AllBytes());
    ASSERT_EQ(wide.size(), 256u);
    for (unsigned b = 0; b < 256; ++b) {
        unsigned expected = b >= 0x80 && b <= 0x9F ? kHigh[b - 0x80] : b;
        EXPECT_EQ(static_cast<unsigned>(wide[b]), expected) << "byte " << b;
    }
}

TEST(AnsiCodePage, EveryByteRoundTripsWithoutTheDefaultCharacter) {
    WString wide = DecodeCodePage(CP_ACP, AllBytes());
    std::string bytes(256, 0);
    BOOL usedDefault = TRUE;
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide.data(), 256, &bytes[0], 256, nullptr, &usedDefault), 256);
    EXPECT_EQ(bytes, AllBytes());
    EXPECT_FALSE(usedDefault);
}

TEST(AnsiCodePage, UnmappableCharacterTakesTheDefault) {
    const WString text = Units({0x41, 0x4E2D, 0x42});
    char bytes[8] = {};
    BOOL usedDefault = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text.data(), 3, bytes, 8, nullptr, &usedDefault), 3);
    EXPECT_EQ(std::string(bytes), "A?B");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text.data(), 3, bytes, 8, "*", &usedDefault), 3);
    EXPECT_EQ(std::string(bytes, 3), "A*B");
}

TEST(AnsiCodePage, CountsAndTerminators) {
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 2, nullptr, 0), 2);
    WCHAR wide[4] = {9, 9, 9, 9};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 4), 4);
    EXPECT_EQ(wide[3], 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, WTXT("abc"), -1, nullptr, 0, nullptr, nullptr), 4);
}

TEST(AnsiCodePage, TooSmallABufferFails) {
    WCHAR wide[2];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, wide, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    char bytes[2];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, WTXT("abc"), 3, bytes, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(AnsiCodePage, BadArgumentsFail) {
    WCHAR wide[4];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 3, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, WTXT("abc"), 0, nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Utf8CodePage, RoundTripsEveryPlane) {
    const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF";
    WString wide = DecodeCodePage(CP_UTF8, utf8);
    EXPECT_EQ(wide, Units({0x41, 0xE9, 0x20AC, 0xD83D, 0xDE00, 0xDBFF, 0xDFFF}));
    EXPECT_EQ(ToBytes(CP_UTF8, wide), utf8);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0), 8);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr), 15);
}

TEST(Utf8CodePage, IllFormedInputBecomesTheReplacementCharacter) {
    EXPECT_EQ(DecodeCodePage(CP_UTF8, "a\xFF" "b"), Units({0x61, 0xFFFD, 0x62}));
    EXPECT_EQ(DecodeCodePage(CP_UTF8, "a\x80" "b"), Units({0x61, 0xFFFD, 0x62}));
    EXPECT_EQ(ToBytes(CP_UTF8, Units({0x61, 0xD800, 0x62})), "a\xEF\xBF\xBD" "b");
}

TEST(Utf8CodePage, IllFormedInputFailsWhenAskedTo) {
    WCHAR wide[8];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    const WString lone = Units({0x61, 0xDC00});
    char bytes[8];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone.data(), 2, bytes, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

#ifndef _WIN32
// Windows refuses a default character for UTF-8, as our layer does; Wine
// accepts it, so this is checked on our layer only.
TEST(Utf8CodePage, DefaultCharacterIsRefused) {
    char bytes[8];
    BOOL usedDefault = FALSE;
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, WTXT("a"), 1, bytes, 8, nullptr, &usedDefault), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}
#endif

}  // namespace
