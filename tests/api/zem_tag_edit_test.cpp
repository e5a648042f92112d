// SPDX-License-Identifier: BSD-3-Clause
// Tag edits through the C API that say why they fail: removing and clearing
// (read-only fields and the ID3v1 record behind a ZEM tag too), checking a
// save before writing, the failure details, and a cue sheet file's text.
#include <zem/zem.h>

#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

using namespace testing_support;

namespace {

struct TagCloser {
    void operator()(zem_tag* t) const { zem_tag_close(t); }
};
using Tag = std::unique_ptr<zem_tag, TagCloser>;

// A version 2000 ZEM tag of one text item with `flags` (0x1: read-only).
Bytes OneItemTag(const std::string& name, const std::string& value, uint32_t flags) {
    Bytes tag;
    auto put32 = [&tag](uint32_t word) {
        for (int i = 0; i < 4; ++i)
            tag.push_back(static_cast<uint8_t>(word >> (8 * i)));
    };
    put32(static_cast<uint32_t>(value.size()));
    put32(flags);
    tag.insert(tag.end(), name.begin(), name.end());
    tag.push_back(0);
    tag.insert(tag.end(), value.begin(), value.end());
    const uint32_t size = static_cast<uint32_t>(tag.size()) + 32;
    for (char c : std::string("ZEMTAGEX"))
        tag.push_back(static_cast<uint8_t>(c));
    for (uint32_t word : {2000u, size, 1u, 0x40000000u, 0u, 0u})
        put32(word);
    return tag;
}

// A 128-byte ID3v1 record with a title, an artist and no genre.
Bytes Record(const std::string& title, const std::string& artist) {
    Bytes record(128, 0);
    record[0] = 'T', record[1] = 'A', record[2] = 'G';
    std::copy(title.begin(), title.end(), record.begin() + 3);
    std::copy(artist.begin(), artist.end(), record.begin() + 33);
    record[127] = 255;
    return record;
}

std::string Detail(const zem_tag* t) {
    char text[256] = {};
    EXPECT_GE(zem_tag_get_error_detail(t, text, sizeof text), 0);
    return text;
}

class ZemTagEdit : public ::testing::Test {
protected:
    void SetUp() override { m_audio = BuildZemBytes(CurrentZemFixture()); }

    std::string Write(const Bytes& tail) {
        WriteFileBytes(m_dir.File("s.zem"), Concat(m_audio, tail));
        return Utf8FromWide(m_dir.WideFile("s.zem"));
    }
    Bytes FileBytes() const { return ReadFileBytes(m_dir.File("s.zem")); }
    Tag Open(const std::string& path, unsigned flags = 0) {
        int error = 1;
        Tag t(zem_tag_open_ex(path.c_str(), flags, &error));
        EXPECT_EQ(ZEM_OK, error) << path;
        return t;
    }

    TempDir m_dir;
    Bytes m_audio;
};

TEST_F(ZemTagEdit, RemoveReachesTheRecordBehindTheZemTagAndNamesAMissingField) {
    const Bytes zem = OneItemTag("Album", "Tallowmere", 0);
    const std::string path = Write(Concat(zem, Record("Song", "Band")));
    Tag t = Open(path);
    ASSERT_EQ(zem_tag_found(t.get()), ZEM_TAG_HAS_ZEM | ZEM_TAG_HAS_ID3V1);
    EXPECT_EQ(zem_tag_remove(t.get(), "Comment"), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(Detail(t.get()), "there is no field 'Comment'");
    EXPECT_EQ(zem_tag_remove(t.get(), "ARTIST"), ZEM_OK);  // the record's alone
    EXPECT_EQ(zem_tag_remove(t.get(), "Artist"), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(zem_tag_count(t.get()), 1);
    ASSERT_EQ(zem_tag_save(t.get()), ZEM_OK);
    // The ZEM tag kept its bytes; the record its title only.
    EXPECT_EQ(FileBytes(), Concat(Concat(m_audio, zem), Record("Song", "")));
    ASSERT_EQ(zem_tag_clear(t.get()), ZEM_OK);
    EXPECT_EQ(zem_tag_count(t.get()), 0);
    ASSERT_EQ(zem_tag_save(t.get()), ZEM_OK);
    EXPECT_EQ(FileBytes(), m_audio);
    EXPECT_EQ(zem_tag_found(t.get()), 0);
}

TEST_F(ZemTagEdit, AReadOnlyFieldIsRemovedButNotSet) {
    const std::string path = Write(OneItemTag("Title", "Fixed", 0x1));
    Tag t = Open(path);
    EXPECT_EQ(zem_tag_set(t.get(), "title", "Other"), ZEM_ERROR_FAILED);
    EXPECT_EQ(Detail(t.get()), "the field 'title' is read-only");
    EXPECT_EQ(zem_tag_set(t.get(), "Title", nullptr), ZEM_ERROR_FAILED);
    EXPECT_EQ(zem_tag_remove(t.get(), "Title"), ZEM_OK);
    ASSERT_EQ(zem_tag_save(t.get()), ZEM_OK);
    EXPECT_EQ(FileBytes(), m_audio);
}

TEST_F(ZemTagEdit, ALoneRecordSavedAsARecordStaysAlone) {
    const std::string path = Write(Record("Song", "Band"));
    Tag t = Open(path);
    ASSERT_EQ(zem_tag_set(t.get(), "Album", "Tallowmere"), ZEM_OK);
    ASSERT_EQ(zem_tag_save_ex(t.get(), ZEM_TAG_SAVE_ID3V1), ZEM_OK);
    Bytes record = Record("Song", "Band");
    std::string album = "Tallowmere";
    std::copy(album.begin(), album.end(), record.begin() + 63);
    EXPECT_EQ(FileBytes(), Concat(m_audio, record));
    EXPECT_EQ(zem_tag_found(t.get()), ZEM_TAG_HAS_ID3V1);
}

TEST_F(ZemTagEdit, ACheckAnswersAsTheSaveWouldAndWritesNothing) {
    const Bytes tag = OneItemTag("Title", "T", 0);
    Bytes damaged = tag;
    damaged[damaged.size() - 32 + 8] = 0xD1;  // version 2001
    const struct {
        const char* what;
        Bytes tail;
        size_t extraBytes;  // a binary value this large
        int result;
        const char* detail;
    } cases[] = {
        {"a tag", tag, 0, ZEM_OK, ""},
        {"a damaged tag", damaged, 0, ZEM_ERROR_BAD_INPUT, "its ZEM tag's footer is damaged"},
        {"a tag grown too large", tag, 16u << 20, ZEM_ERROR_FAILED, "the new tag would be larger than a tag may be"},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.tail);
        Tag t = Open(path);
        ASSERT_NE(t, nullptr) << c.what;
        const Bytes extra(c.extraBytes, 0x42);
        EXPECT_EQ(zem_tag_set_binary(t.get(), "Extra", extra.data(), extra.size()), ZEM_OK) << c.what;
        EXPECT_EQ(zem_tag_check_save(t.get(), 0), c.result) << c.what;
        EXPECT_EQ(Detail(t.get()), c.detail) << c.what;
        EXPECT_EQ(FileBytes(), Concat(m_audio, c.tail)) << c.what;
    }
    // A file gone since it was read cannot be saved; the changes wait for it.
    const std::string path = Write(tag);
    Tag t = Open(path);
    ASSERT_EQ(zem_tag_set(t.get(), "Title", "New"), ZEM_OK);
    std::filesystem::rename(m_dir.File("s.zem"), m_dir.File("away.zem"));
    EXPECT_EQ(zem_tag_check_save(t.get(), ZEM_TAG_SAVE_ZEM_ONLY), ZEM_ERROR_CANNOT_OPEN);
    EXPECT_EQ(Detail(t.get()), "the file is missing, read-only or in use");
    std::filesystem::rename(m_dir.File("away.zem"), m_dir.File("s.zem"));
    EXPECT_EQ(zem_tag_check_save(t.get(), ZEM_TAG_SAVE_ID3V1 | ZEM_TAG_SAVE_ZEM_ONLY), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(zem_tag_check_save(t.get(), 0x4u), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(FileBytes(), Concat(m_audio, tag));
    ASSERT_EQ(zem_tag_save(t.get()), ZEM_OK);
    EXPECT_EQ(FileBytes(), Concat(m_audio, OneItemTag("Title", "New", 0)));
}

TEST_F(ZemTagEdit, DetailsAreCutAtACharacterAndRefuseBadArguments) {
    Tag t = Open(Write({}));
    EXPECT_EQ(zem_tag_get_error_detail(t.get(), nullptr, 0), 0);
    EXPECT_EQ(zem_tag_set(t.get(), "Title", "\xC3"), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(Detail(t.get()), "the value is not UTF-8");
    char cut[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(zem_tag_get_error_detail(t.get(), cut, sizeof cut), 22);
    EXPECT_STREQ(cut, "the ");
    EXPECT_EQ(zem_tag_get_error_detail(t.get(), nullptr, 4), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(zem_tag_get_error_detail(nullptr, cut, sizeof cut), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(zem_tag_remove(t.get(), nullptr), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(zem_tag_remove(nullptr, "Title"), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(zem_tag_clear(nullptr), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(zem_tag_check_save(nullptr, 0), ZEM_ERROR_INVALID_ARGUMENT);
}

TEST(ZemCueText, ASheetFileReadsAsUtf8AsTheLibraryDecodesIt) {
    TempDir dir;
    const struct {
        const char* what;
        Bytes bytes;
        long result;
        std::string text;
    } cases[] = {
        {"UTF-8 behind its mark", BytesOf("\xEF\xBB\xBFTITLE \"Caf\xC3\xA9\""), 13, "TITLE \"Caf\xC3\xA9\""},
        {"ANSI text", BytesOf("TITLE \"Caf\xE9\""), 13, "TITLE \"Caf\xC3\xA9\""},
        {"up to a NUL byte", Bytes{'A', 0, 'B'}, 1, "A"},
        {"empty", {}, 0, ""},
        {"beyond a megabyte", Bytes((1u << 20) + 1, 'A'), ZEM_ERROR_BAD_INPUT, ""},
    };
    for (const auto& c : cases) {
        WriteFileBytes(dir.File("s.cue"), c.bytes);
        const std::string path = Utf8FromWide(dir.WideFile("s.cue"));
        char text[32] = {};
        EXPECT_EQ(zem_cue_read_text(path.c_str(), nullptr, 0), c.result) << c.what;
        EXPECT_EQ(zem_cue_read_text(path.c_str(), text, sizeof text), c.result) << c.what;
        EXPECT_EQ(std::string(text), c.text) << c.what;
    }
    char small[4] = {'x', 0, 0, 0};
    WriteFileBytes(dir.File("s.cue"), BytesOf("ABCD"));
    EXPECT_EQ(zem_cue_read_text(Utf8FromWide(dir.WideFile("s.cue")).c_str(), small, sizeof small), 4);
    EXPECT_EQ(small[0], 'x');  // no room for the terminator: nothing copied
    EXPECT_EQ(zem_cue_read_text(Utf8FromWide(dir.WideFile("missing.cue")).c_str(), nullptr, 0), ZEM_ERROR_CANNOT_OPEN);
    EXPECT_EQ(zem_cue_read_text(nullptr, nullptr, 0), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(zem_cue_read_text("", nullptr, 0), ZEM_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(zem_cue_read_text("x.cue", nullptr, 3), ZEM_ERROR_INVALID_ARGUMENT);
}

}  // namespace
