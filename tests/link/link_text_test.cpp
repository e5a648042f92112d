// SPDX-License-Identifier: BSD-3-Clause
// Parsing of link texts: keys, numbers, image path decoding and resolution.
#include "link/link_file.h"

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace zem;

using testing_support::WideFromUtf8;

namespace {

std::string LinkText(const std::string& image, const std::string& start, const std::string& finish) {
    return "[Quillon Image Link File]\r\nImage File=" + image + "\r\nStart Block=" + start +
           "\r\nFinish Block=" + finish + "\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
}

WString Path(const CLinkFile& link) { return WString(link.GetImagePath()); }

void ExpectCleared(const CLinkFile& link) {
    EXPECT_EQ(0, link.IsValid());
    EXPECT_EQ(0, link.GetStartBlock());
    EXPECT_EQ(0, link.GetFinishBlock());
    EXPECT_EQ(WString(), Path(link));
}

const WCHAR kMusicLink[] = WTXT("C:\\Music\\track01.zlk");

}  // namespace

TEST(LinkText, ParsesTheFourKeysOfTheUsualLayout) {
    CLinkFile link;
    link.ParseLinkText(LinkText("D:\\Images\\cd.zem", "588", "1176").c_str(), kMusicLink);
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(588, link.GetStartBlock());
    EXPECT_EQ(1176, link.GetFinishBlock());
    EXPECT_EQ(WString(WTXT("D:\\Images\\cd.zem")), Path(link));
}

TEST(LinkText, KeysInReverseOrderParseTheSame) {
    CLinkFile link;
    link.ParseLinkText("Finish Block=1176\r\nStart Block=588\r\nImage File=D:\\Images\\cd.zem\r\n"
                       "[Quillon Image Link File]\r\n",
                       kMusicLink);
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(588, link.GetStartBlock());
    EXPECT_EQ(1176, link.GetFinishBlock());
    EXPECT_EQ(WString(WTXT("D:\\Images\\cd.zem")), Path(link));
}

TEST(LinkText, KeysMayStandMidLineAndTheFirstOccurrenceCounts) {
    CLinkFile link;
    link.ParseLinkText("junk[Quillon Image Link File] Start Block=7 Finish Block=9 Image File=a\\b.zem\n"
                       "Start Block=100\r\nFinish Block=200\r\nImage File=c\\d.zem\r\n",
                       nullptr);
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(7, link.GetStartBlock());
    EXPECT_EQ(9, link.GetFinishBlock());
    EXPECT_EQ(WString(WTXT("a\\b.zem")), Path(link));
}

TEST(LinkText, BareNameIsResolvedAgainstTheLinkFolder) {
    CLinkFile link;
    link.ParseLinkText(LinkText("track01.zem", "0", "-1").c_str(), kMusicLink);
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(WString(WTXT("C:\\Music\\track01.zem")), Path(link));
    EXPECT_EQ(-1, link.GetFinishBlock());
}

TEST(LinkText, BareNameStaysBareWhenTheLinkPathHasNoFolder) {
    CLinkFile link;
    link.ParseLinkText(LinkText("track01.zem", "0", "-1").c_str(), WTXT("track01.zlk"));
    EXPECT_EQ(WString(WTXT("track01.zem")), Path(link));
    link.ParseLinkText(LinkText("track01.zem", "0", "-1").c_str(), nullptr);
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(WString(WTXT("track01.zem")), Path(link));
}

// Relative paths, with folders or without, start in the link's folder;
// anchored paths stay as written. Both separators count.
TEST(LinkText, RelativePathsResolveAgainstTheLinkFolder) {
    const struct {
        const char* image;
        const WCHAR* linkPath;
        const WCHAR* expected;
    } cases[] = {
        {"sub\\cd.zem", kMusicLink, WTXT("C:\\Music\\sub\\cd.zem")},
        {"..\\other\\album.zem", kMusicLink, WTXT("C:\\Music\\..\\other\\album.zem")},
        {"../other/album.zem", WTXT("/srv/music/t.zlk"), WTXT("/srv/music/../other/album.zem")},
        {"sub/cd.zem", WTXT("C:/Music/t.zlk"), WTXT("C:/Music/sub/cd.zem")},
        {"cd.zem", WTXT("links/t.zlk"), WTXT("links/cd.zem")},
        {"sub\\cd.zem", WTXT("t.zlk"), WTXT("sub\\cd.zem")},
        {"D:\\Images\\cd.zem", kMusicLink, WTXT("D:\\Images\\cd.zem")},
        {"d:cd.zem", kMusicLink, WTXT("d:cd.zem")},
        {"\\Images\\cd.zem", kMusicLink, WTXT("\\Images\\cd.zem")},
        {"\\\\server\\share\\cd.zem", kMusicLink, WTXT("\\\\server\\share\\cd.zem")},
        {"/srv/cd.zem", kMusicLink, WTXT("/srv/cd.zem")},
    };
    for (const auto& test : cases) {
        CLinkFile link;
        link.ParseLinkText(LinkText(test.image, "0", "-1").c_str(), test.linkPath);
        EXPECT_EQ(WString(test.expected), Path(link)) << test.image;
    }
}

TEST(LinkText, NumbersReadLikeAtoi) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {" 588", 588},       {"588", 588},           {"abc", 0},          {"", 0},
        {"-1", -1},          {"+42", 42},            {"12abc", 12},       {"\t\v\f 9", 9},
        {"- 5", 0},          {"007", 7},             {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
    };
    for (const Case& c : cases) {
        CLinkFile link;
        link.ParseLinkText(LinkText("x\\a.zem", c.text, c.text).c_str(), nullptr);
        ASSERT_EQ(1, link.IsValid()) << c.text;
        EXPECT_EQ(c.value, link.GetStartBlock()) << "'" << c.text << "'";
        EXPECT_EQ(c.value, link.GetFinishBlock()) << "'" << c.text << "'";
    }
}

TEST(LinkText, NumbersBeyond32BitsSaturate) {
    CLinkFile link;
    link.ParseLinkText(LinkText("x\\a.zem", "99999999999999999999", "-2147483649").c_str(), nullptr);
    EXPECT_EQ(INT32_MAX, link.GetStartBlock());
    EXPECT_EQ(INT32_MIN, link.GetFinishBlock());
}

TEST(LinkText, EmptyValueSkipsToTheNextLineLikeAtoi) {
    // atoi skips the line end as white space and then stops at the next key.
    CLinkFile link;
    link.ParseLinkText("[Quillon Image Link File]\r\nImage File=a\\b.zem\r\nStart Block=\r\n12\r\n"
                       "Finish Block=\r\nx",
                       nullptr);
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(12, link.GetStartBlock());
    EXPECT_EQ(0, link.GetFinishBlock());
}

TEST(LinkText, LowerCaseHeaderLineIsNotFound) {
    CLinkFile link;
    std::string text = LinkText("D:\\cd.zem", "1", "2");
    text.replace(0, 25, "[quillon image link file]");
    link.ParseLinkText(text.c_str(), kMusicLink);
    ExpectCleared(link);
}

TEST(LinkText, EachMissingKeyLeavesTheRecordCleared) {
    const char* keys[] = {"[Quillon Image Link File]", "Image File=", "Start Block=", "Finish Block="};
    for (const char* key : keys) {
        std::string text = LinkText("D:\\cd.zem", "1", "2");
        text.erase(text.find(key), 3);
        CLinkFile link;
        link.ParseLinkText(text.c_str(), kMusicLink);
        ExpectCleared(link);
    }
}

TEST(LinkText, ImagePathEndsAtLfAloneAtCrAndAtTheTextEnd) {
    CLinkFile link;
    link.ParseLinkText("[Quillon Image Link File]\nStart Block=1\nFinish Block=2\nImage File=D:\\cd.zem\nrest",
                       nullptr);
    EXPECT_EQ(WString(WTXT("D:\\cd.zem")), Path(link));
    link.ParseLinkText("[Quillon Image Link File]Start Block=1 Finish Block=2 Image File=D:\\cd.zem\rrest",
                       nullptr);
    EXPECT_EQ(WString(WTXT("D:\\cd.zem")), Path(link));
    link.ParseLinkText("[Quillon Image Link File]Start Block=1 Finish Block=2 Image File=D:\\x y.zem", nullptr);
    EXPECT_EQ(WString(WTXT("D:\\x y.zem")), Path(link));
}

TEST(LinkText, AnsiAndUtf8ImageNamesBothRead) {
    const WString expected = WTXT("C:\\Music\\Caf\u00E9.zem");
    CLinkFile link;
    link.ParseLinkText(LinkText("Caf\xE9.zem", "0", "-1").c_str(), kMusicLink);  // Windows-1252
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(expected, Path(link));
    link.ParseLinkText(LinkText("Caf\xC3\xA9.zem", "0", "-1").c_str(), kMusicLink);  // UTF-8
    EXPECT_EQ(expected, Path(link));
}

// Windows takes paths of MAX_PATH characters with the terminator.
#ifdef _WIN32
TEST(LinkText, LongestPathThatFitsIsKeptAndOneMoreIsRefused) {
    const std::string folder = "D:\\";
    std::string fits = folder + std::string(MAX_PATH - 1 - folder.size() - 4, 'a') + ".zem";
    ASSERT_EQ(size_t(MAX_PATH - 1), fits.size());
    CLinkFile link;
    link.ParseLinkText(LinkText(fits, "1", "2").c_str(), nullptr);
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(WideFromUtf8(fits), Path(link));

    link.ParseLinkText(LinkText("b" + fits, "1", "2").c_str(), nullptr);
    ExpectCleared(link);
}

TEST(LinkText, BareNameTooLongOnlyWhenJoinedIsRefused) {
    const WString linkPath = WString(WTXT("C:\\Music\\")) + WTXT("t.zlk");
    std::string name = std::string(MAX_PATH - 1 - 9 - 4, 'n') + ".zem";  // fits joined exactly
    CLinkFile link;
    link.ParseLinkText(LinkText(name, "1", "2").c_str(), linkPath.c_str());
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(size_t(MAX_PATH - 1), Path(link).size());

    link.ParseLinkText(LinkText("n" + name, "1", "2").c_str(), linkPath.c_str());
    ExpectCleared(link);
}
#else
// Linux has no such limit: a path far beyond 260 characters names the image.
TEST(LinkText, PathBeyond260CharactersIsKept) {
    const std::string path = "/" + std::string(400, 'a') + "/" + std::string(200, 'b') + ".zem";
    CLinkFile link;
    link.ParseLinkText(LinkText(path, "1", "2").c_str(), nullptr);
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(WideFromUtf8(path), Path(link));
}
#endif

TEST(LinkText, MissingTextClearsAnEarlierRecord) {
    CLinkFile link;
    link.ParseLinkText(LinkText("D:\\cd.zem", "5", "6").c_str(), nullptr);
    ASSERT_EQ(1, link.IsValid());
    link.ParseLinkText(nullptr, kMusicLink);
    ExpectCleared(link);
    link.ParseLinkText(LinkText("D:\\cd.zem", "5", "6").c_str(), nullptr);
    link.Clear();
    ExpectCleared(link);
}

TEST(LinkText, NewRecordIsCleared) {
    CLinkFile link;
    ExpectCleared(link);
}

TEST(LinkText, HostileTextsNeverOverrunOrHalfFill) {
    const std::string hostile[] = {
        "",
        "Image File=",
        "[Quillon Image Link File]Image File=Start Block=Finish Block=",
        "[Quillon Image Link File]Image File=" + std::string(5000, '\\') + "\nStart Block=1Finish Block=2",
        "[Quillon Image Link File]Image File=" + std::string(5000, '\xFF') + "\nStart Block=1Finish Block=2",
        "[Quillon Image Link File]Image File=\xC3\nStart Block=1Finish Block=2",
        "[Quillon Image Link File]Image File=\xED\xA0\x80.zem\nStart Block=1Finish Block=2",
        "Finish Block=Start Block=Image File=[Quillon Image Link File]",
        std::string(100000, 'S'),
    };
    for (const std::string& text : hostile) {
        CLinkFile link;
        link.ParseLinkText(text.c_str(), kMusicLink);
        WString path = Path(link);
        EXPECT_LT(path.size(), kMaxPathChars);
        if (!link.IsValid())
            ExpectCleared(link);
    }
}

TEST(LinkText, EmptyImageValueIsTheLinkFolder) {
    // An empty name is a bare name too; opening the folder as a stream fails later.
    CLinkFile link;
    link.ParseLinkText("[Quillon Image Link File]Image File=\r\nStart Block=1Finish Block=2", kMusicLink);
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(WString(WTXT("C:\\Music\\")), Path(link));
}

TEST(LinkText, InvalidUtf8FallsBackToTheAnsiCodePage) {
    CLinkFile link;
    // A lone continuation byte and a truncated sequence are not UTF-8.
    link.ParseLinkText("[Quillon Image Link File]Image File=D:\\\x80\xC3.zem\r\nStart Block=1Finish Block=2",
                       nullptr);
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(WString(WTXT("D:\\\u20AC\u00C3.zem")), Path(link));
}
