// SPDX-License-Identifier: BSD-3-Clause
// The dialog's logic that needs no window: its texts, the cue sheet named on
// the command line, and the settings file.
#include "tessarine/app/dialog_texts.h"

#include "tests/app/text_shorthand.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <string>

using namespace testing_support;

namespace {

TEST(DialogTexts, HelpTextLineForLine) {
    EXPECT_EQ("You can create filenames using any combination of letters and keywords.\r\n"
              "\r\n"
              "These keywords will be replaced by the corresponding values for each track:\r\n"
              "     ARTIST\r\n     ALBUM\r\n     TITLE\r\n     TRACK#\r\n"
              "\r\n"
              "Example:\r\n"
              "     Naming template: \"ARTIST - ALBUM - TRACK# - TITLE\"\r\n"
              "     Resulting filename: \"Corvane - Tallowmere - 09 - Wrenfall.zlk\"",
              U(FilenameHelpText()));
}

TEST(DialogTexts, CompletionReportListsBothHeadingsAlways) {
    EXPECT_EQ("Completion Report:\r\n\r\nFiles successfully processed:\r\n"
              "     C:\\a.cue\r\n     C:\\b c.cue\r\n     D:\\x\r\n"
              "\r\nFiles failed to be processed:\r\n",
              U(CompletionReport({W("C:\\a.cue"), W("C:\\b c.cue"), W("D:\\x")}, {})));
    EXPECT_EQ("Completion Report:\r\n\r\nFiles successfully processed:\r\n"
              "\r\nFiles failed to be processed:\r\n     C:\\bad.cue\r\n",
              U(CompletionReport({}, {W("C:\\bad.cue")})));
}

TEST(CommandLine, CueSheetArgument) {
    const struct {
        const char* commandLine;
        const char* expected;
    } cases[] = {
        {"\"C:\\Program Files\\Tessarine\\Tessarine.exe\" \"D:\\Music\\Album.cue\"", "D:\\Music\\Album.cue"},
        {"\"C:\\Program Files\\Tessarine\\Tessarine.exe\"", ""},
        {"\"C:\\Program Files\\Tessarine\\Tessarine.exe\"  ", ""},
        {"C:\\Tessarine\\Tessarine.exe D:\\Album.cue", "D:\\Album.cue"},
        {"Tessarine.exe", ""},
        // Another name: the text after the program's own path, quoted or not.
        {"\"C:\\Program Files\\Tessarine\\tessarine.exe\" \"D:\\Music\\Album.cue\"", "D:\\Music\\Album.cue"},
        {"\"C:\\Tools\\Links.exe\"", ""},
        {"C:\\Tools\\links.EXE D:\\Album.cue", "D:\\Album.cue"},
        {"C:\\Tools\\links.EXE", ""},
        {"  \"C:\\a b\\x.exe\"\"D:\\y.cue\"", "D:\\y.cue"},
        {"\"C:\\unclosed quote\\x.exe D:\\y.cue", ""},
        {"", ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.expected, U(CueSheetArgument(W(test.commandLine)))) << test.commandLine;
}

TEST(Settings, FoldersAndInitialName) {
    EXPECT_EQ("C:\\Program Files\\Tessarine\\", U(ProgramFolderOf(W("C:\\Program Files\\Tessarine\\Tessarine.exe"))));
    EXPECT_EQ("C:\\Program Files\\Tessarine\\Tessarine.ini", U(SettingsPath(W("C:\\Program Files\\Tessarine\\"))));
    EXPECT_EQ("D:\\Music\\", U(FolderWithBackslash(W("D:\\Music\\Album.cue"))));
    EXPECT_EQ("", U(FolderWithBackslash(W("Album.cue"))));
    EXPECT_EQ("D:\\Music\\*.cue", U(InitialCueFileName(W("D:\\Music\\"))));
    EXPECT_EQ("", U(InitialCueFileName(W(""))));
}

TEST(Settings, DefaultsRoundTripAndLongValues) {
    TempDir dir;
    const WString ini = dir.WideFile("Tessarine.ini");
    TessarineSettings fresh = ReadSettings(ini);
    EXPECT_EQ("ARTIST - ALBUM - TRACK# - TITLE", U(fresh.namingTemplate));
    EXPECT_EQ("", U(fresh.lastDirectory));

    WriteSettings(ini, {W("(TRACK#) TITLE"), W("D:\\Music\\")});
    Bytes bytes = ReadFileBytes(dir.File("Tessarine.ini"));
    std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(std::string::npos, text.find("[General]"));
    EXPECT_LT(text.find("Naming Template=(TRACK#) TITLE"), text.find("Last Directory=D:\\Music\\"));
    TessarineSettings read = ReadSettings(ini);
    EXPECT_EQ("(TRACK#) TITLE", U(read.namingTemplate));
    EXPECT_EQ("D:\\Music\\", U(read.lastDirectory));

    // An empty template is a value of its own; values are cut at 1023 characters.
    WriteSettings(ini, {W(""), W(std::string(1500, 'd'))});
    read = ReadSettings(ini);
    EXPECT_EQ("", U(read.namingTemplate));
    EXPECT_EQ(std::string(1023, 'd'), U(read.lastDirectory));
}

}  // namespace
