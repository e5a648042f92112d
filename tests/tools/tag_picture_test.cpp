// SPDX-License-Identifier: BSD-3-Clause
// `zemtool tag` with pictures: stored as the binary field "Cover Art (TYPE)"
// (file name, zero byte, image), exported byte for byte, removed, refused
// when they are no image or too large, on streams, link files and many files.
#include "tag/tag_block.h"
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/tag_picture.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zem;

namespace tool_tests {
namespace {

using testing_support::Bytes;
using testing_support::BytesOf;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

const Bytes kJpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0xFF, 0xD9};
const Bytes kPng = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 'I', 'H', 'D', 'R'};

class TagPictureTest : public ::testing::Test {
protected:
    std::string Stream(const std::string& name) {
        return WriteIn(m_dir, name, testing_support::BuildZemBytes(testing_support::CurrentZemFixture()));
    }
    // The value of the field `name` as the library reads it back; empty when missing.
    Bytes Field(const std::string& file, const WCHAR* name) const {
        CTagBlock tag(m_dir.WideFile(file).c_str(), 1);
        const CTagItem* item = tag.GetField(tag.FindField(name));
        if (!item)
            return {};
        EXPECT_FALSE(item->IsText());
        return Bytes(item->GetValue(), item->GetValue() + item->GetValueSize());
    }
    RunResult ExpectOk(const std::vector<std::string>& args) {
        RunResult result = RunTool(args);
        EXPECT_EQ(result.exitCode, ZEMTOOL_OK) << result.err;
        EXPECT_EQ(result.err, "");
        return result;
    }

    TempDir m_dir;
};

Bytes ItemOf(const std::string& name, const Bytes& image) {
    Bytes value = BytesOf(name);
    value.push_back(0);
    value.insert(value.end(), image.begin(), image.end());
    return value;
}

TEST_F(TagPictureTest, SetExportAndRemoveEachTypeOfPicture) {
    struct Case {
        Bytes image;
        const char* file;
        std::vector<std::string> type;  // --picture-type and its value, or nothing
        const WCHAR* field;
    };
    const Case cases[] = {
        {kJpeg, "cover.jpg", {}, WTXT("Cover Art (Front)")},
        {kPng, "back.png", {"--picture-type", "back"}, WTXT("Cover Art (Back)")},
        {kJpeg, "x.jpeg", {"--picture-type", "Cover Art (Leaflet)"}, WTXT("Cover Art (Leaflet)")},
    };
    for (const Case& c : cases) {
        const std::string stream = Stream("s.zem");
        const std::string image = WriteIn(m_dir, c.file, c.image);
        std::vector<std::string> set = {"tag", stream, "--set-picture", image, "--set", "Title=T"};
        set.insert(set.end(), c.type.begin(), c.type.end());
        ExpectOk(set);
        EXPECT_EQ(Field("s.zem", c.field), ItemOf(c.file, c.image)) << c.file;
        std::vector<std::string> exported = {"tag", stream, "--export-picture", PathIn(m_dir, "out.bin")};
        exported.insert(exported.end(), c.type.begin(), c.type.end());
        ExpectOk(exported);
        EXPECT_EQ(ReadFileBytes(m_dir.File("out.bin")), c.image);
        std::vector<std::string> removed = {"tag", stream, "--remove-picture"};
        removed.insert(removed.end(), c.type.begin(), c.type.end());
        ExpectOk(removed);
        EXPECT_EQ(Field("s.zem", c.field), Bytes());
        EXPECT_EQ(ExpectOk({"tag", stream}).out, "Title=T\n");
        ExpectOk(removed);  // nothing left to remove is no failure
    }
}

TEST_F(TagPictureTest, ManyFilesAndLinkFilesTakeThePicture) {
    const std::string a = Stream("a.zem");
    const std::string link = WriteIn(m_dir, "t.zlk", LinkText("a.zem", 0, 10));
    std::filesystem::create_directories(m_dir.File("sub"));
    Stream("sub/b.zem");
    const std::string image = WriteIn(m_dir, "c.png", kPng);
    ExpectOk({"tag", a, link, "-r", PathIn(m_dir, "sub"), "--set-picture", image});
    for (const char* file : {"a.zem", "t.zlk", "sub/b.zem"})
        EXPECT_EQ(Field(file, WTXT("Cover Art (Front)")), ItemOf("c.png", kPng)) << file;
    ExpectOk({"tag", link, "--export-picture", PathIn(m_dir, "from-link.png")});
    EXPECT_EQ(ReadFileBytes(m_dir.File("from-link.png")), kPng);
    EXPECT_EQ(ExpectOk({"tag", a, link}).out, "==> " + a + " <==\nCover Art (Front)=[hex] 632e706e670089504e470d0a1a0a0000000d49484452\n"
                                              "==> " + link + " <==\nCover Art (Front)=[hex] 632e706e670089504e470d0a1a0a0000000d49484452\n");
    // One file failing leaves the others done.
    const RunResult result = RunTool({"tag", PathIn(m_dir, "gone.zem"), a, "--remove-picture"});
    EXPECT_EQ(result.exitCode, ZEMTOOL_FAILED);
    EXPECT_EQ(result.err, "zemtool: CODEC_BAD_INPUT: cannot open '" + PathIn(m_dir, "gone.zem") + "'\n");
    EXPECT_EQ(Field("a.zem", WTXT("Cover Art (Front)")), Bytes());
}

TEST_F(TagPictureTest, WhatIsNoImageOrTooLargeIsRefusedAndNothingChanges) {
    const std::string stream = Stream("s.zem");
    const Bytes before = ReadFileBytes(m_dir.File("s.zem"));
    const std::string text = WriteIn(m_dir, "notes.jpg", BytesOf("GIF89a, not a JPEG"));
    const std::string big = WriteIn(m_dir, "big.jpg", kJpeg);
    std::filesystem::resize_file(m_dir.File("big.jpg"), zemtool::kMaxPictureBytes + 1);
    const std::pair<std::string, std::string> cases[] = {
        {text, "'" + text + "' is neither a JPEG nor a PNG image; '" + stream + "' is unchanged"},
        {big, "the picture '" + big + "' has 15728641 bytes; a tag takes 15728640 (15 MiB) at most; '" + stream +
                  "' is unchanged"},
        {PathIn(m_dir, "none.png"), "cannot read the picture '" + PathIn(m_dir, "none.png") + "'"},
    };
    for (const auto& [image, reason] : cases) {
        const RunResult result = RunTool({"tag", stream, "--set-picture", image});
        EXPECT_EQ(result.exitCode, ZEMTOOL_FAILED);
        EXPECT_EQ(result.err.rfind("zemtool: CODEC_BAD_INPUT: " + reason, 0), 0u) << result.err;
        EXPECT_EQ(ReadFileBytes(m_dir.File("s.zem")), before);
    }
    const RunResult missing = RunTool({"tag", stream, "--export-picture", PathIn(m_dir, "out.jpg")});
    EXPECT_EQ(missing.exitCode, ZEMTOOL_FAILED);
    EXPECT_EQ(missing.err, "zemtool: CODEC_BAD_INPUT: '" + stream + "' holds no 'Cover Art (Front)'\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("out.jpg")));
}

TEST_F(TagPictureTest, PictureOptionsThatContradictAreUsageErrors) {
    const std::string stream = Stream("s.zem");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"tag", stream, "--picture-type", "Sleeve"}, "unknown picture type 'Sleeve' (one of Front, Back,"},
        {{"tag", stream, "--export-picture", "o.jpg", "--set", "A=b"}, "--export-picture changes nothing"},
        {{"tag", stream, stream, "--export-picture", "o.jpg"}, "--export-picture takes one file"},
        {{"tag", stream, "--set-picture", "c.jpg", "--id3v1"}, "an ID3v1 record holds no picture"},
        {{"tag", stream, "--set-picture"}, "--set-picture needs a value"},
    };
    for (const auto& [args, reason] : cases) {
        const RunResult result = RunTool(args);
        EXPECT_EQ(result.exitCode, ZEMTOOL_USAGE) << reason;
        EXPECT_EQ(result.err.rfind("zemtool: CODEC_BAD_ARGUMENT: " + reason, 0), 0u) << result.err;
    }
}

}  // namespace
}  // namespace tool_tests
