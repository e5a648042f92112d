// SPDX-License-Identifier: BSD-3-Clause
// `zemtool tag`: listing, changing, removing and ID3v1 saving, checked against
// the bytes of the file.
#include "platform/win32.h"
#include "tag/tag_block.h"
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zem;

namespace tool_tests {
namespace {

using testing_support::Bytes;
using testing_support::BytesOf;
using testing_support::Concat;
using testing_support::TempDir;

class TagCommandTest : public ::testing::Test {
protected:
    void SetUp() override { m_audio = testing_support::BuildZemBytes(testing_support::CurrentZemFixture()); }

    std::string WriteStream(const Bytes& tail) { return WriteIn(m_dir, "stream.zem", Concat(m_audio, tail)); }
    Bytes FileBytes() const { return testing_support::ReadFileBytes(m_dir.File("stream.zem")); }

    RunResult ExpectOk(const std::vector<std::string>& args) {
        RunResult result = RunTool(args);
        EXPECT_EQ(result.exitCode, ZEMTOOL_OK) << result.err;
        EXPECT_EQ(result.err, "");
        return result;
    }

    // The fields as the library reads them back from the file, name=value.
    std::vector<std::string> StoredFields() const {
        CTagBlock tag(m_dir.WideFile("stream.zem").c_str(), 1);
        std::vector<std::string> fields;
        for (int i = 0; i < tag.GetFieldCount(); ++i) {
            const CTagItem* item = tag.GetField(i);
            fields.push_back(testing_support::Utf8FromWide(item->GetName()) + "=" +
                             std::string(reinterpret_cast<const char*>(item->GetValue()),
                                         static_cast<size_t>(item->GetValueSize())));
        }
        return fields;
    }

    std::vector<std::string> SortedStoredFields() const {
        std::vector<std::string> fields = StoredFields();
        std::sort(fields.begin(), fields.end());
        return fields;
    }

    TempDir m_dir;
    Bytes m_audio;
};

TEST_F(TagCommandTest, ListsTextFieldsInFileOrder) {
    const std::string path = WriteStream(RawZemTag({{"Title", BytesOf("Intro")},
                                                    {"Artist", BytesOf("Caf\xC3\xA9 Band")},
                                                    {"Track", BytesOf("3")}}));
    const RunResult result = ExpectOk({"tag", path});
    EXPECT_EQ(result.out, "Title=Intro\nArtist=Caf\xC3\xA9 Band\nTrack=3\n");
}

TEST_F(TagCommandTest, ListsBinaryValuesAsHexAndEscapesControlCharacters) {
    const std::string path = WriteStream(RawZemTag({{"Cover", Bytes{0x00, 0xFF, 0x10, 0xAB}, 0x2},
                                                    {"Link", Bytes{'x'}, 0x4},
                                                    {"Comment", BytesOf("one\ntwo\tthree\r\x01\x7F end\\")}}));
    const RunResult result = ExpectOk({"tag", path});
    EXPECT_EQ(result.out, "Cover=[hex] 00ff10ab\nLink=[hex] 78\nComment=one\\ntwo\\tthree\\r\\x01\\x7f end\\\n");
}

TEST_F(TagCommandTest, ListsId3v1Fields) {
    Id3v1Fields id3;
    id3.title = "Song";
    id3.artist = "Band";
    id3.year = "1999";
    id3.track = 7;
    id3.genre = 8;  // Jazz
    const RunResult result = ExpectOk({"tag", WriteStream(Id3v1Bytes(id3))});
    EXPECT_EQ(result.out, "Artist=Band\nTitle=Song\nYear=1999\nTrack=7\nGenre=Jazz\n");
}

TEST_F(TagCommandTest, ListsAnsiTextOfOlderTagsAsUtf8) {
    const std::string path = WriteStream(RawZemTag({{"Artist", BytesOf("Caf\xE9")}}, 1000));
    EXPECT_EQ(ExpectOk({"tag", path}).out, "Artist=Caf\xC3\xA9\n");
}

TEST_F(TagCommandTest, FileWithoutTagListsNothing) {
    EXPECT_EQ(ExpectOk({"tag", WriteStream({})}).out, "");
}

TEST_F(TagCommandTest, SetAddsAndReplacesFieldsAndKeepsTheAudio) {
    const std::string path = WriteStream(RawZemTag({{"Title", BytesOf("Old")}, {"Album", BytesOf("Kept")}}));
    ExpectOk({"tag", path, "--set", "Title=New title", "--set", "Artist=\xE2\x82\xAC uro=sign"});
    EXPECT_EQ(StoredFields(), (std::vector<std::string>{"Album=Kept", "Title=New title",
                                                         "Artist=\xE2\x82\xAC uro=sign"}));
    const Bytes after = FileBytes();
    ASSERT_GE(after.size(), m_audio.size());
    EXPECT_EQ(Bytes(after.begin(), after.begin() + static_cast<long>(m_audio.size())), m_audio);
    // The tool lists what it stored.
    EXPECT_EQ(ExpectOk({"tag", path}).out, "Album=Kept\nTitle=New title\nArtist=\xE2\x82\xAC uro=sign\n");
}

TEST_F(TagCommandTest, SetWithEmptyValueDeletesAndIsQuietWhenThereIsNothing) {
    const std::string path = WriteStream(RawZemTag({{"Title", BytesOf("T")}, {"Album", BytesOf("A")}}));
    ExpectOk({"tag", path, "--set", "Title=", "--set", "Missing="});
    EXPECT_EQ(StoredFields(), std::vector<std::string>{"Album=A"});
}

TEST_F(TagCommandTest, DeleteRemovesOneFieldWhateverItsCase) {
    const std::string path = WriteStream(RawZemTag({{"Title", BytesOf("T")}, {"Album", BytesOf("A")}}));
    ExpectOk({"tag", path, "--delete", "TITLE"});
    EXPECT_EQ(StoredFields(), std::vector<std::string>{"Album=A"});
}

TEST_F(TagCommandTest, DeleteOfMissingFieldFailsAndLeavesTheFileAlone) {
    const std::string path = WriteStream(RawZemTag({{"Title", BytesOf("T")}}));
    const Bytes before = FileBytes();
    const RunResult result = RunTool({"tag", path, "--set", "Album=A", "--delete", "Genre"});
    EXPECT_EQ(result.exitCode, ZEMTOOL_FAILED);
    EXPECT_EQ(result.err, "zemtool: CODEC_FAILED: there is no field 'Genre'; '" + path + "' is unchanged\n");
    EXPECT_EQ(FileBytes(), before);
}

TEST_F(TagCommandTest, RemoveStripsEveryStackedTag) {
    Id3v1Fields id3;
    id3.title = "Song";
    const std::string path = WriteStream(Concat(RawZemTag({{"Title", BytesOf("T")}}), Id3v1Bytes(id3)));
    ExpectOk({"tag", path, "--remove"});
    EXPECT_EQ(FileBytes(), m_audio);
}

TEST_F(TagCommandTest, RemoveThenSetLeavesOnlyTheNewFields) {
    const std::string path = WriteStream(RawZemTag({{"Title", BytesOf("T")}, {"Album", BytesOf("A")}}));
    ExpectOk({"tag", path, "--remove", "--set", "Artist=B"});
    EXPECT_EQ(StoredFields(), std::vector<std::string>{"Artist=B"});
    // One ZEM tag of one item: 4 + 4 + "Artist" + NUL + 1 value byte, then the footer.
    EXPECT_EQ(FileBytes(), Concat(m_audio, RawZemTag({{"Artist", BytesOf("B")}})));
}

TEST_F(TagCommandTest, Id3v1WritesTheRecordInsteadOfAZemTag) {
    const std::string path = WriteStream(RawZemTag({{"Title", BytesOf("Song")}, {"Genre", BytesOf("jazz")}}));
    ExpectOk({"tag", path, "--set", "Track=12", "--id3v1"});
    const Bytes after = FileBytes();
    ASSERT_EQ(after.size(), m_audio.size() + 128);
    const Bytes record(after.end() - 128, after.end());
    EXPECT_EQ(std::string(record.begin(), record.begin() + 3), "TAG");
    EXPECT_EQ(std::string(record.begin() + 3, record.begin() + 7), "Song");
    EXPECT_EQ(record[7], 0);
    EXPECT_EQ(record[126], 12);
    EXPECT_EQ(record[127], 8);
}

TEST_F(TagCommandTest, OlderTagTextIsConvertedWhenTheTagIsRewritten) {
    const std::string path = WriteStream(RawZemTag({{"Artist", BytesOf("Caf\xE9")}}, 1000));
    ExpectOk({"tag", path, "--set", "Title=Intro"});
    // Written back as a version 2000 tag, whose text must be UTF-8.
    CTagBlock tag(m_dir.WideFile("stream.zem").c_str(), 1);
    EXPECT_EQ(tag.GetZemTagVersion(), 2000);
    EXPECT_EQ(SortedStoredFields(), (std::vector<std::string>{"Artist=Caf\xC3\xA9", "Title=Intro"}));
}

TEST_F(TagCommandTest, NewTextInAnOlderTagIsStoredAsGiven) {
    const std::string path = WriteStream(RawZemTag({{"Artist", BytesOf("Caf\xE9")}}, 1000));
    ExpectOk({"tag", path, "--set", "Title=Cr\xC3\xA8me"});
    EXPECT_EQ(SortedStoredFields(), (std::vector<std::string>{"Artist=Caf\xC3\xA9", "Title=Cr\xC3\xA8me"}));
}

TEST_F(TagCommandTest, FailingEditLeavesAnOlderTagUnconverted) {
    const std::string path = WriteStream(RawZemTag({{"Artist", BytesOf("Caf\xE9")}}, 1000));
    const Bytes before = FileBytes();
    EXPECT_EQ(RunTool({"tag", path, "--set", "Title=x", "--delete", "Missing"}).exitCode, ZEMTOOL_FAILED);
    EXPECT_EQ(FileBytes(), before);
}

TEST_F(TagCommandTest, ReadOnlyFieldCannotBeSetButCanBeDeleted) {
    const std::string path = WriteStream(RawZemTag({{"Title", BytesOf("Fixed"), 0x1}}));
    const Bytes before = FileBytes();
    const RunResult refused = RunTool({"tag", path, "--set", "Title=Other"});
    EXPECT_EQ(refused.exitCode, ZEMTOOL_FAILED);
    EXPECT_EQ(refused.err, "zemtool: CODEC_FAILED: the field 'Title' is read-only; '" + path + "' is unchanged\n");
    EXPECT_EQ(FileBytes(), before);
    ExpectOk({"tag", path, "--delete", "Title"});
    EXPECT_EQ(FileBytes(), m_audio);
}

#ifdef _WIN32
// Share modes are the system's on Windows. The Linux stand-in keeps them per
// copy of the platform layer, and libzem, which checks them, has a copy of
// its own that does not see this test's handle.
TEST_F(TagCommandTest, FileHeldWithoutWriteSharingCannotBeChanged) {
    const std::string path = WriteStream(RawZemTag({{"Title", BytesOf("T")}}));
    const Bytes before = FileBytes();
    const WString wide = m_dir.WideFile("stream.zem");
    HANDLE reader = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    // Listing still works: the file opens for reading.
    EXPECT_EQ(ExpectOk({"tag", path}).out, "Title=T\n");
    const RunResult result = RunTool({"tag", path, "--remove"});
    CloseHandle(reader);
    EXPECT_EQ(result.exitCode, ZEMTOOL_FAILED);
    EXPECT_EQ(result.err, "zemtool: CODEC_WRITE_FAILED: '" + path + "' is read-only or in use; its tag cannot be changed\n");
    EXPECT_EQ(FileBytes(), before);
}
#endif

TEST_F(TagCommandTest, TagOfALinkFileIsTheLinkFilesOwn) {
    const Bytes link = LinkText("image.zem", 0, 10);
    const std::string path = WriteIn(m_dir, "track.zlk", link);
    ExpectOk({"tag", path, "--set", "Title=First", "--set", "Track=1"});
    EXPECT_EQ(ExpectOk({"tag", path}).out, "Track=1\nTitle=First\n");
    const Bytes after = testing_support::ReadFileBytes(m_dir.File("track.zlk"));
    EXPECT_EQ(Bytes(after.begin(), after.begin() + static_cast<long>(link.size())), link);
}

TEST_F(TagCommandTest, MissingFileIsBadInput) {
    const std::string path = PathIn(m_dir, "absent.zem");
    const RunResult result = RunTool({"tag", path, "--set", "A=b"});
    EXPECT_EQ(result.exitCode, ZEMTOOL_FAILED);
    EXPECT_EQ(result.err, "zemtool: CODEC_BAD_INPUT: cannot open '" + path + "'\n");
}

TEST_F(TagCommandTest, CommandLineMistakesAreUsageErrorsAndChangeNothing) {
    const std::string path = WriteStream(RawZemTag({{"Title", BytesOf("T")}}));
    const Bytes before = FileBytes();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"tag"}, "no file given"},
        {{"tag", path, "--set"}, "--set needs a value"},
        {{"tag", path, "--delete"}, "--delete needs a value"},
        {{"tag", path, "--set", "NoEquals"}, "--set needs NAME=VALUE, not 'NoEquals'"},
        {{"tag", path, "--set", "=value"}, "invalid field name ''"},
        {{"tag", path, "--set", "\xC3\x84rtist=x"}, "invalid field name '\xC3\x84rtist'"},
        {{"tag", path, "--set", "Tab\tName=x"}, "invalid field name"},
        {{"tag", path, "--delete", ""}, "invalid field name ''"},
        {{"tag", path, "--id3v2"}, "unknown option '--id3v2'"},
    };
    for (const auto& [args, reason] : cases) {
        const RunResult result = RunTool(args);
        EXPECT_EQ(result.exitCode, ZEMTOOL_USAGE) << reason;
        EXPECT_EQ(result.err.rfind("zemtool: CODEC_BAD_ARGUMENT: " + reason, 0), 0u) << result.err;
        EXPECT_NE(result.err.find("Try 'zemtool tag --help'."), std::string::npos);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(FileBytes(), before);
}

}  // namespace
}  // namespace tool_tests
