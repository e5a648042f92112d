// SPDX-License-Identifier: BSD-3-Clause
// Reading link files from disk: the 1023-byte window, missing files, the tag tail.
#include "link/link_file.h"

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <string>

using namespace zem;

using testing_support::Bytes;
using testing_support::BytesOf;
using testing_support::TempDir;
using testing_support::ToWide;
using testing_support::WriteFileBytes;

namespace {

const std::string kHeader = "[Quillon Image Link File]\r\nImage File=image.zem\r\nStart Block=588\r\n";

// Text padded so that the finish value's first digit lands at `digitOffset`.
std::string WithFinishDigitAt(size_t digitOffset) {
    const std::string key = "Finish Block=";
    std::string text = kHeader;
    text.append(digitOffset - text.size() - key.size(), 'x');
    return text + key + "5\r\n";
}

}  // namespace

TEST(LinkRead, ReadsWhatTheBuildJobWritesIncludingTheTagTail) {
    TempDir dir;
    std::string text = kHeader + "Finish Block=-1\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
    Bytes bytes = BytesOf(text);
    for (int i = 0; i < 2000; ++i)  // stands for the tag items and footer behind the marker
        bytes.push_back(static_cast<uint8_t>(i * 7));
    WriteFileBytes(dir.File("track.zlk"), bytes);

    CLinkFile link;
    link.ReadLinkFile(dir.WideFile("track.zlk").c_str());
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(588, link.GetStartBlock());
    EXPECT_EQ(-1, link.GetFinishBlock());
    EXPECT_EQ(ToWide(dir.File("image.zem")), WString(link.GetImagePath()));
}

TEST(LinkRead, MissingFileGivesAClearedRecord) {
    TempDir dir;
    CLinkFile link;
    link.ParseLinkText((kHeader + "Finish Block=9").c_str(), nullptr);
    ASSERT_EQ(1, link.IsValid());
    link.ReadLinkFile(dir.WideFile("absent.zlk").c_str());
    EXPECT_EQ(0, link.IsValid());
    EXPECT_EQ(0, link.GetStartBlock());
    EXPECT_EQ(WString(), WString(link.GetImagePath()));
    link.ReadLinkFile(nullptr);
    EXPECT_EQ(0, link.IsValid());
}

TEST(LinkRead, OnlyTheFirst1023BytesCount) {
    TempDir dir;
    CLinkFile link;
    // Last digit inside the window: read.
    WriteFileBytes(dir.File("in.zlk"), BytesOf(WithFinishDigitAt(1022)));
    link.ReadLinkFile(dir.WideFile("in.zlk").c_str());
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(5, link.GetFinishBlock());
    // Key complete but its value just behind the window: reads as 0.
    WriteFileBytes(dir.File("edge.zlk"), BytesOf(WithFinishDigitAt(1023)));
    link.ReadLinkFile(dir.WideFile("edge.zlk").c_str());
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(0, link.GetFinishBlock());
    // Key cut by the window: not found.
    WriteFileBytes(dir.File("cut.zlk"), BytesOf(WithFinishDigitAt(1024)));
    link.ReadLinkFile(dir.WideFile("cut.zlk").c_str());
    EXPECT_EQ(0, link.IsValid());
}

TEST(LinkRead, FinishLineBeginningAfterByte1023IsInvalid) {
    TempDir dir;
    std::string text = kHeader + std::string(1100 - kHeader.size(), '\n') + "Finish Block=9\r\n";
    WriteFileBytes(dir.File("late.zlk"), BytesOf(text));
    CLinkFile link;
    link.ReadLinkFile(dir.WideFile("late.zlk").c_str());
    EXPECT_EQ(0, link.IsValid());
}

TEST(LinkRead, NulByteEndsTheText) {
    TempDir dir;
    Bytes bytes = BytesOf(kHeader);
    bytes.push_back(0);
    for (uint8_t b : BytesOf("Finish Block=9\r\n"))
        bytes.push_back(b);
    WriteFileBytes(dir.File("nul.zlk"), bytes);
    CLinkFile link;
    link.ReadLinkFile(dir.WideFile("nul.zlk").c_str());
    EXPECT_EQ(0, link.IsValid());
}

TEST(LinkRead, EmptyAndBinaryFilesAreInvalid) {
    TempDir dir;
    WriteFileBytes(dir.File("empty.zlk"), Bytes());
    Bytes noise;
    for (int i = 0; i < 4096; ++i)
        noise.push_back(static_cast<uint8_t>((i * 131 + 17) ^ (i >> 3)));
    WriteFileBytes(dir.File("noise.zlk"), noise);
    CLinkFile link;
    link.ReadLinkFile(dir.WideFile("empty.zlk").c_str());
    EXPECT_EQ(0, link.IsValid());
    link.ReadLinkFile(dir.WideFile("noise.zlk").c_str());
    EXPECT_EQ(0, link.IsValid());
}

TEST(LinkRead, AnsiNamedImageWrittenByTheBuildJobResolvesBesideTheLink) {
    TempDir dir;
    WriteFileBytes(dir.File("t.zlk"),
                   BytesOf("[Quillon Image Link File]\r\nImage File=Caf\xE9.zem\r\nStart Block=0\r\n"
                           "Finish Block=-1\r\n"));
    CLinkFile link;
    link.ReadLinkFile(dir.WideFile("t.zlk").c_str());
    EXPECT_EQ(1, link.IsValid());
    EXPECT_EQ(dir.WideFile("Caf\xC3\xA9.zem"), WString(link.GetImagePath()));
}
