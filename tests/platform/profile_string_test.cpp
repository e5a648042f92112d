// SPDX-License-Identifier: BSD-3-Clause
// GetPrivateProfileStringW and WritePrivateProfileStringW on INI files.
#include "platform/win32.h"
#include "tests/file/read_only_file.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testing_support;

namespace {

class ProfileStrings : public ::testing::Test {
protected:
    void SetUp() override { m_ini = m_dir.WideFile("test.ini"); }

    void WriteIni(const std::string& bytes) { WriteFileBytes(m_dir.File("test.ini"), BytesOf(bytes)); }
    std::string IniBytes() const {
        Bytes bytes = ReadFileBytes(m_dir.File("test.ini"));
        return std::string(bytes.begin(), bytes.end());
    }

    // The string read, with the returned count checked against it.
    WString Get(const WCHAR* section, const WCHAR* key, const WCHAR* fallback = WTXT("<none>"),
                DWORD size = 64) {
        WString buffer(size + 1, WTXT('#'));
        DWORD count = GetPrivateProfileStringW(section, key, fallback, &buffer[0], size, m_ini.c_str());
        EXPECT_LT(count, size);
        EXPECT_EQ(buffer[count], 0) << "count " << count;
        EXPECT_EQ(buffer[size], WTXT('#')) << "written past the buffer";
        return buffer.substr(0, count);
    }

    // A list read with a NULL section or key: the names joined by '|'.
    WString GetList(const WCHAR* section, DWORD size = 64) {
        WString buffer(size + 1, WTXT('#'));
        DWORD count = GetPrivateProfileStringW(section, nullptr, WTXT(""), &buffer[0], size, m_ini.c_str());
        EXPECT_EQ(buffer[count], 0);
        WString joined = buffer.substr(0, count);
        if (!joined.empty() && joined.back() == 0)
            joined.pop_back();
        for (WCHAR& c : joined)
            c = c == 0 ? WTXT('|') : c;
        return joined;
    }

    BOOL Put(const WCHAR* section, const WCHAR* key, const WCHAR* value) {
        return WritePrivateProfileStringW(section, key, value, m_ini.c_str());
    }

    TempDir m_dir;
    WString m_ini;
};

TEST_F(ProfileStrings, WriteCreatesTheFileAndReadsBack) {
    ASSERT_TRUE(Put(WTXT("General"), WTXT("Template"), WTXT("ARTIST - TITLE")));
    EXPECT_EQ(IniBytes(), "[General]\r\nTemplate=ARTIST - TITLE\r\n");
    EXPECT_EQ(Get(WTXT("General"), WTXT("Template")), WTXT("ARTIST - TITLE"));
}

TEST_F(ProfileStrings, NamesIgnoreCase) {
    ASSERT_TRUE(Put(WTXT("General"), WTXT("LastDir"), WTXT("one")));
    EXPECT_EQ(Get(WTXT("GENERAL"), WTXT("lastdir")), WTXT("one"));
    ASSERT_TRUE(Put(WTXT("general"), WTXT("LASTDIR"), WTXT("two")));
    EXPECT_EQ(Get(WTXT("General"), WTXT("LastDir")), WTXT("two"));
    EXPECT_EQ(GetList(nullptr), WTXT("General"));
    EXPECT_EQ(GetList(WTXT("General")), WTXT("LastDir"));
}

TEST_F(ProfileStrings, MissingKeySectionOrFileGivesTheDefault) {
    EXPECT_EQ(Get(WTXT("General"), WTXT("Key"), WTXT("fallback")), WTXT("fallback"));
    ASSERT_TRUE(Put(WTXT("General"), WTXT("Key"), WTXT("v")));
    EXPECT_EQ(Get(WTXT("General"), WTXT("Other"), WTXT("fallback")), WTXT("fallback"));
    EXPECT_EQ(Get(WTXT("Elsewhere"), WTXT("Key"), WTXT("fallback")), WTXT("fallback"));
    EXPECT_EQ(Get(WTXT("General"), WTXT("Other"), nullptr), WTXT(""));
}

TEST_F(ProfileStrings, DefaultLosesTrailingBlanks) {
    EXPECT_EQ(Get(WTXT("S"), WTXT("K"), WTXT("  value  ")), WTXT("  value"));
}

TEST_F(ProfileStrings, LongValueIsCutToTheBuffer) {
    ASSERT_TRUE(Put(WTXT("S"), WTXT("K"), WTXT("abcdef")));
    EXPECT_EQ(Get(WTXT("S"), WTXT("K"), nullptr, 7), WTXT("abcdef"));
    EXPECT_EQ(Get(WTXT("S"), WTXT("K"), nullptr, 6), WTXT("abcde"));
    EXPECT_EQ(Get(WTXT("S"), WTXT("K"), nullptr, 4), WTXT("abc"));
    EXPECT_EQ(Get(WTXT("S"), WTXT("K"), nullptr, 1), WTXT(""));
    EXPECT_EQ(Get(WTXT("S"), WTXT("None"), WTXT("default"), 4), WTXT("def"));
}

TEST_F(ProfileStrings, ZeroSizedBufferIsLeftAlone) {
    ASSERT_TRUE(Put(WTXT("S"), WTXT("K"), WTXT("v")));
    WCHAR buffer[2] = {WTXT('#'), WTXT('#')};
    EXPECT_EQ(GetPrivateProfileStringW(WTXT("S"), WTXT("K"), WTXT(""), buffer, 0, m_ini.c_str()), 0u);
    EXPECT_EQ(buffer[0], WTXT('#'));
}

TEST_F(ProfileStrings, BlanksAroundNamesAndValuesAndQuotesAreDropped) {
    WriteIni("[ Sec ]\r\n  key  =  some value  \r\nq1=\"quoted \"\r\nq2='single'\r\nq3=\"open\r\nempty=\r\n");
    EXPECT_EQ(Get(WTXT("Sec"), WTXT("key")), WTXT("some value"));
    EXPECT_EQ(Get(WTXT("Sec"), WTXT("q1")), WTXT("quoted "));
    EXPECT_EQ(Get(WTXT("Sec"), WTXT("q2")), WTXT("single"));
    EXPECT_EQ(Get(WTXT("Sec"), WTXT("q3")), WTXT("\"open"));
    EXPECT_EQ(Get(WTXT("Sec"), WTXT("empty")), WTXT(""));
}

TEST_F(ProfileStrings, ListsOfSectionsAndKeys) {
    WriteIni("[One]\r\na=1\r\n; a comment\r\nb=2\r\n\r\n[Two]\r\nc=3\r\n");
    EXPECT_EQ(GetList(nullptr), WTXT("One|Two"));
    EXPECT_EQ(GetList(WTXT("one")), WTXT("a|b"));
    EXPECT_EQ(GetList(WTXT("Two")), WTXT("c"));
    WCHAR buffer[16];
    DWORD count = GetPrivateProfileStringW(nullptr, nullptr, nullptr, buffer, 16, m_ini.c_str());
    EXPECT_EQ(count, 8u);
    EXPECT_EQ(WString(buffer, 9), WString(WTXT("One\0Two\0"), 8) + WTXT('\0'));
}

TEST_F(ProfileStrings, ListThatDoesNotFitIsCutWithTwoNuls) {
    WriteIni("[S]\r\nalpha=1\r\nbeta=2\r\ngamma=3\r\n");
    WCHAR buffer[9];
    std::fill(buffer, buffer + 9, WTXT('#'));
    DWORD count = GetPrivateProfileStringW(WTXT("S"), nullptr, WTXT(""), buffer, 8, m_ini.c_str());
    ASSERT_EQ(count, 6u);
    // What is left reads as a list: a prefix of the names, then two NULs.
    EXPECT_EQ(buffer[5], 0);
    EXPECT_EQ(buffer[6], 0);
    EXPECT_EQ(WString(buffer, 5), WTXT("alpha"));
    EXPECT_EQ(buffer[8], WTXT('#'));
}

TEST_F(ProfileStrings, NewKeyJoinsItsOwnSection) {
    WriteIni("[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n");
    ASSERT_TRUE(Put(WTXT("a"), WTXT("c"), WTXT("3")));
    EXPECT_EQ(GetList(WTXT("A")), WTXT("a|c"));
    EXPECT_EQ(GetList(WTXT("B")), WTXT("b"));
    EXPECT_EQ(Get(WTXT("A"), WTXT("c")), WTXT("3"));
    EXPECT_EQ(Get(WTXT("B"), WTXT("b")), WTXT("2"));
}

#ifndef _WIN32
// Where a new key lands is our layer's choice: behind the section's last
// entry, before the blank line that parts it from the next section.
TEST_F(ProfileStrings, NewKeyKeepsTheBlankLineBetweenSections) {
    WriteIni("[A]\r\na=1\r\n\r\n[B]\nb=2");
    ASSERT_TRUE(Put(WTXT("A"), WTXT("c"), WTXT("3")));
    ASSERT_TRUE(Put(WTXT("B"), WTXT("d"), WTXT("4")));
    EXPECT_EQ(IniBytes(), "[A]\r\na=1\r\nc=3\r\n\r\n[B]\nb=2\r\nd=4\r\n");
}
#endif

TEST_F(ProfileStrings, NullValueDeletesTheKey) {
    WriteIni("[A]\r\na=1\r\nb=2\r\n");
    ASSERT_TRUE(Put(WTXT("A"), WTXT("A"), nullptr));
    EXPECT_EQ(GetList(WTXT("A")), WTXT("b"));
    EXPECT_EQ(Get(WTXT("A"), WTXT("a"), WTXT("gone")), WTXT("gone"));
    EXPECT_TRUE(Put(WTXT("A"), WTXT("missing"), nullptr));
    EXPECT_TRUE(Put(WTXT("Missing"), WTXT("missing"), nullptr));
    EXPECT_EQ(GetList(WTXT("A")), WTXT("b"));
}

TEST_F(ProfileStrings, NullKeyDeletesTheSection) {
    WriteIni("[A]\r\na=1\r\n[B]\r\nb=2\r\n[C]\r\nc=3\r\n");
    ASSERT_TRUE(Put(WTXT("b"), nullptr, nullptr));
    EXPECT_EQ(GetList(nullptr), WTXT("A|C"));
    EXPECT_EQ(Get(WTXT("B"), WTXT("b"), WTXT("gone")), WTXT("gone"));
    EXPECT_EQ(Get(WTXT("C"), WTXT("c")), WTXT("3"));
    EXPECT_TRUE(Put(WTXT("Missing"), nullptr, nullptr));
    EXPECT_EQ(GetList(nullptr), WTXT("A|C"));
}

TEST_F(ProfileStrings, TextIsStoredInTheAnsiCodePage) {
    const WCHAR value[] = {'c', 'a', 'f', 0xE9, ' ', 0x20AC, 0};
    ASSERT_TRUE(Put(WTXT("S"), WTXT("K"), value));
    EXPECT_EQ(IniBytes(), "[S]\r\nK=caf\xE9 \x80\r\n");
    EXPECT_EQ(Get(WTXT("S"), WTXT("K")), WString(value));
}

TEST_F(ProfileStrings, AnsiFileIsReadThroughTheCodePage) {
    WriteIni("[S]\nK=na\xEFve \x93q\x94\n");
    const WCHAR expected[] = {'n', 'a', 0xEF, 'v', 'e', ' ', 0x201C, 'q', 0x201D, 0};
    EXPECT_EQ(Get(WTXT("S"), WTXT("K")), WString(expected));
}

TEST_F(ProfileStrings, EditingKeepsCommentsAndOtherLines) {
    WriteIni("; settings\r\n[A]\r\nx=1\r\n; keep this\r\ny=2\r\n");
    ASSERT_TRUE(Put(WTXT("A"), WTXT("x"), WTXT("9")));
    std::string bytes = IniBytes();
    EXPECT_NE(bytes.find("; settings"), std::string::npos);
    EXPECT_NE(bytes.find("; keep this"), std::string::npos);
    EXPECT_NE(bytes.find("x=9"), std::string::npos);
    EXPECT_EQ(bytes.find("x=1"), std::string::npos);
    EXPECT_EQ(Get(WTXT("A"), WTXT("y")), WTXT("2"));
}

TEST_F(ProfileStrings, ReadOnlyFileIsNotWritten) {
    SKIP_UNLESS_READ_ONLY_HONOURED(m_dir);
    WriteIni("[A]\r\nx=1\r\n");
    MakeReadOnly(m_dir.File("test.ini"));
    SetLastError(0);
    EXPECT_FALSE(Put(WTXT("A"), WTXT("x"), WTXT("2")));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(IniBytes(), "[A]\r\nx=1\r\n");
}

TEST_F(ProfileStrings, Utf16FileIsReadAndKeptInUtf16) {
    const std::string header = "\xFF\xFE";
    std::string body;
    for (char c : std::string("[S]\r\nK=v\r\n")) {
        body += c;
        body += '\0';
    }
    WriteIni(header + body);
    EXPECT_EQ(Get(WTXT("S"), WTXT("K")), WTXT("v"));
    ASSERT_TRUE(Put(WTXT("S"), WTXT("K"), WTXT("w")));
    std::string bytes = IniBytes();
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), header);
    EXPECT_EQ(Get(WTXT("S"), WTXT("K")), WTXT("w"));
}

}  // namespace

#ifndef _WIN32
// The stand-in's own promise (Windows brings its own profile calls): a write
// changes the bytes of the lines it changes and no others, even bytes that
// the file's encoding cannot decode.
TEST_F(ProfileStrings, RewriteKeepsTheBytesOfUntouchedLines) {
    auto utf16 = [](const std::string& ascii) {
        std::string bytes = "\xFF\xFE";
        for (char c : ascii)
            bytes += std::string{c, '\0'};
        return bytes;
    };
    struct Case {
        const char* what;
        std::string before, after;
    };
    const Case cases[] = {
        {"UTF-8, invalid byte", "\xEF\xBB\xBF[S]\r\nA=\xFF\r\nB=1\r\n", "\xEF\xBB\xBF[S]\r\nA=\xFF\r\nB=2\r\n"},
        {"UTF-8, cut sequence", "\xEF\xBB\xBF[S]\nA=\xC3\nB=1", "\xEF\xBB\xBF[S]\nA=\xC3\nB=2"},
        {"UTF-8, new key behind a last line without a newline", "\xEF\xBB\xBF[T]\r\nA=\xFF",
         "\xEF\xBB\xBF[T]\r\nA=\xFF\r\n[S]\r\nB=2\r\n"},
        {"ANSI, undefined byte", "[S]\r\nA=\x81\x8D\r\nB=1\r\n", "[S]\r\nA=\x81\x8D\r\nB=2\r\n"},
        {"UTF-16, odd last byte", utf16("[S]\r\nB=1\r\nC=x") + "\x7F", utf16("[S]\r\nB=2\r\nC=x") + "\x7F"},
    };
    for (const Case& c : cases) {
        WriteIni(c.before);
        EXPECT_TRUE(Put(WTXT("S"), WTXT("B"), WTXT("2"))) << c.what;
        EXPECT_EQ(IniBytes(), c.after) << c.what;
    }
}
#endif
