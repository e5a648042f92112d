// SPDX-License-Identifier: BSD-3-Clause
// Opening by path: extensions, link files and the failures of each way in.
#include "decode/decoder_factory.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "decode/current/frame_decoder.h"
#include "decode/older/older_decoder.h"
#include "io/win32_file.h"
#include "tag/tag_block.h"
#include "tag/tag_item.h"
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace zem;

using namespace testing_support;

namespace {

const int32_t kTotalBlocks = 2 * 73728 + 4096;  // the default fixture

std::string LinkText(const std::string& image, const std::string& start, const std::string& finish) {
    return "[Quillon Image Link File]\r\nImage File=" + image + "\r\nStart Block=" + start +
           "\r\nFinish Block=" + finish + "\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
}

// Appends a tag with one "Title" field, the way the link build job does.
void AppendTitleTag(const WString& path, const WCHAR* title) {
    CWin32File file;
    ASSERT_EQ(0, file.Open(path.c_str()));
    CTagBlock tag(&file, 1);
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Title"), title));
    ASSERT_EQ(0, tag.Save(0));
}

std::string TitleOf(CDecoder& decoder) {
    auto* tag = reinterpret_cast<CTagBlock*>(static_cast<intptr_t>(decoder.GetInfo(Tag)));
    if (!tag)
        return "(no tag)";
    CTagItem* item = tag->GetField(WTXT("Title"));
    if (!item)
        return "(no title)";
    return std::string(reinterpret_cast<const char*>(item->GetValue()), item->GetValueSize());
}

class FactoryOpen : public ::testing::Test {
protected:
    // An image in the temporary folder, by file name (UTF-8).
    WString WriteImage(const std::string& name, const ZemFixture& fixture = CurrentZemFixture(3990)) {
        WriteFileBytes(dir.File(name), BuildZemBytes(fixture));
        return dir.WideFile(name);
    }
    WString WriteLink(const std::string& name, const std::string& text) {
        WriteFileBytes(dir.File(name), BytesOf(text));
        return dir.WideFile(name);
    }
    std::unique_ptr<CDecoder> Open(const WString& path) {
        error = -7;
        return OpenDecoder(path.c_str(), &error);
    }

    TempDir dir;
    int error = 0;
};

}  // namespace

TEST_F(FactoryOpen, MissingOrEmptyPathIsABadArgument) {
    error = -7;
    EXPECT_EQ(nullptr, OpenDecoder(nullptr, &error));
    EXPECT_EQ(CODEC_BAD_ARGUMENT, error);
    EXPECT_EQ(nullptr, Open(WString()));
    EXPECT_EQ(CODEC_BAD_ARGUMENT, error);
}

TEST_F(FactoryOpen, StreamExtensionsOpenTheWholeStreamInAnyCase) {
    for (const char* name : {"cd.zem", "CD.ZEM", "cd.Zem", "cd.qrb", "CD.QRB", "my.disc.zem"}) {
        auto decoder = Open(WriteImage(name));
        ASSERT_NE(nullptr, decoder) << name;
        EXPECT_EQ(CODEC_OK, error) << name;
        EXPECT_EQ(kTotalBlocks, decoder->GetInfo(DecoderTotalBlocks)) << name;
        EXPECT_EQ(44100, decoder->GetInfo(SampleRate)) << name;
    }
}

TEST_F(FactoryOpen, FilesOpenByContentUnderAnyName) {
    // The extension is a hint only: a renamed link or stream opens as what it holds.
    // (No name ending in a dot: Windows drops it, and "cd.zem." is the image itself there.)
    WriteImage("cd.zem");
    std::string link = LinkText("cd.zem", "0", "-1");
    for (const char* name : {"cd.wav", "cd.zlk.bak", "cd.zem~", "cdzem", "zem", "cd.zlkx"}) {
        WString path = WriteLink(name, link);
        EXPECT_NE(nullptr, Open(path)) << name;
        EXPECT_EQ(CODEC_OK, error) << name;
        EXPECT_TRUE(IsLinkFile(path.c_str())) << name;
    }
    std::filesystem::copy_file(dir.File("cd.zem"), dir.File("cd.txt"));
    EXPECT_NE(nullptr, Open(dir.WideFile("cd.txt")));
    EXPECT_FALSE(IsLinkFile(dir.WideFile("cd.txt").c_str()));
}

TEST_F(FactoryOpen, PathWithoutAnyDotIsBadInput) {
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_EQ(nullptr, Open(dir.WideFile("folder")));
    EXPECT_EQ(CODEC_BAD_INPUT, error);
}

TEST_F(FactoryOpen, MissingOrBrokenStreamIsBadInput) {
    EXPECT_EQ(nullptr, Open(dir.WideFile("absent.zem")));
    EXPECT_EQ(CODEC_BAD_INPUT, error);
    EXPECT_EQ(nullptr, Open(WriteLink("noise.zem", std::string(4000, 'Q'))));
    EXPECT_EQ(CODEC_BAD_INPUT, error);
}

TEST_F(FactoryOpen, VersionsChooseTheDecoderClass) {
    auto current = Open(WriteImage("new.zem", CurrentZemFixture(3990)));
    EXPECT_NE(nullptr, dynamic_cast<CFrameDecoder*>(current.get()));
    auto lowest = Open(WriteImage("mid.zem", OldZemFixture(3930)));
    EXPECT_NE(nullptr, dynamic_cast<CFrameDecoder*>(lowest.get()));
    auto old = Open(WriteImage("old.zem", OldZemFixture(3920)));
    EXPECT_NE(nullptr, dynamic_cast<COlderDecoder*>(old.get()));
    EXPECT_EQ(CODEC_OK, error);
}

TEST_F(FactoryOpen, VersionsBetweenTheClassesAreRefused) {
    for (uint16_t version : {3921, 3925, 3929}) {
        EXPECT_EQ(nullptr, Open(WriteImage("gap.zem", OldZemFixture(version)))) << version;
        EXPECT_EQ(CODEC_FAILED, error) << version;
    }
}

TEST_F(FactoryOpen, ErrorSlotIsOptional) {
    EXPECT_NE(nullptr, OpenDecoder(WriteImage("cd.zem").c_str(), nullptr));
    EXPECT_EQ(nullptr, OpenDecoder(dir.WideFile("absent.zlk").c_str(), nullptr));
    EXPECT_EQ(nullptr, OpenDecoder(WTXT(""), nullptr));
}

TEST_F(FactoryOpen, LinkOpensItsTrackOfTheImageBesideIt) {
    WriteImage("image.zem");
    auto decoder = Open(WriteLink("track.zlk", LinkText("image.zem", "588", "1176")));
    ASSERT_NE(nullptr, decoder);
    EXPECT_EQ(CODEC_OK, error);
    EXPECT_EQ(588, decoder->GetInfo(DecoderTotalBlocks));
    EXPECT_EQ(44, decoder->GetInfo(WavHeaderBytes));
    EXPECT_EQ(kTotalBlocks, decoder->GetInfo(TotalBlocks));
}

TEST_F(FactoryOpen, LinkWithCapitalExtensionAndAbsoluteImagePath) {
    WString image = WriteImage("image.zem");
    auto decoder = Open(WriteLink("TRACK.ZLK", LinkText(Utf8FromWide(image), "1000", "-1")));
    ASSERT_NE(nullptr, decoder);
    EXPECT_EQ(kTotalBlocks - 1000, decoder->GetInfo(DecoderTotalBlocks));
}

TEST_F(FactoryOpen, LinkFromZeroToZeroIsAnEmptyRange) {
    WriteImage("image.zem");
    auto decoder = Open(WriteLink("t.zlk", LinkText("image.zem", "0", "0")));
    ASSERT_NE(nullptr, decoder);
    EXPECT_EQ(0, decoder->GetInfo(DecoderTotalBlocks));
    EXPECT_EQ(0, decoder->GetInfo(DecoderLengthMs));
    EXPECT_EQ(44, decoder->GetInfo(WavHeaderBytes));
}

TEST_F(FactoryOpen, LinkWithoutItsImageOrAKeyIsBadInput) {
    EXPECT_EQ(nullptr, Open(WriteLink("lost.zlk", LinkText("absent.zem", "0", "-1"))));
    EXPECT_EQ(CODEC_BAD_INPUT, error);
    WriteImage("image.zem");
    std::string keyless = LinkText("image.zem", "0", "-1");
    keyless.erase(keyless.find("Start Block="), 1);
    EXPECT_EQ(nullptr, Open(WriteLink("keyless.zlk", keyless)));
    EXPECT_EQ(CODEC_BAD_INPUT, error);
    EXPECT_EQ(nullptr, Open(dir.WideFile("absent.zlk")));
    EXPECT_EQ(CODEC_BAD_INPUT, error);
}

TEST_F(FactoryOpen, LinkToAnImageOfARefusedVersionFails) {
    WriteImage("gap.zem", OldZemFixture(3925));
    EXPECT_EQ(nullptr, Open(WriteLink("t.zlk", LinkText("gap.zem", "0", "-1"))));
    EXPECT_EQ(CODEC_FAILED, error);
}

TEST_F(FactoryOpen, TagQueryAnswersTheLinksTagNotTheImages) {
    WString image = WriteImage("image.zem");
    AppendTitleTag(image, WTXT("Whole Disc"));
    WString link = WriteLink("t.zlk", LinkText("image.zem", "0", "588"));
    AppendTitleTag(link, WTXT("Wrenfall"));

    auto linked = Open(link);
    ASSERT_NE(nullptr, linked);
    EXPECT_EQ("Wrenfall", TitleOf(*linked));
    auto whole = Open(image);
    ASSERT_NE(nullptr, whole);
    EXPECT_EQ("Whole Disc", TitleOf(*whole));
}

TEST_F(FactoryOpen, AnsiAndUtf8ImageNamesInLinksBothOpen) {
    WriteImage("Caf\xC3\xA9.zem");
    auto ansi = Open(WriteLink("ansi.zlk", LinkText("Caf\xE9.zem", "0", "-1")));
    EXPECT_NE(nullptr, ansi);
    EXPECT_EQ(CODEC_OK, error);
    auto utf8 = Open(WriteLink("utf8.zlk", LinkText("Caf\xC3\xA9.zem", "0", "-1")));
    EXPECT_NE(nullptr, utf8);
    EXPECT_EQ(CODEC_OK, error);
}

TEST_F(FactoryOpen, LinkNamingAnotherLinkIsNotFollowed) {
    WriteImage("image.zem");
    WriteLink("a.zlk", LinkText("image.zem", "0", "-1"));
    EXPECT_EQ(nullptr, Open(WriteLink("b.zlk", LinkText("a.zlk", "0", "-1"))));
    EXPECT_EQ(CODEC_BAD_INPUT, error);
}
