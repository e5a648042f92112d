// SPDX-License-Identifier: BSD-3-Clause
// The tag on real files, opened by name.
#include "io/win32_file.h"
#include "tag/tag_block.h"
#include "tests/tag/tag_test_util.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zem;

using namespace tag_test;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace fs = std::filesystem;

TEST(TagFile, ReadsChangesAndSavesAFileByName) {
    TempDir dir;
    Bytes audio = Audio(1000);
    WriteFileBytes(dir.File("song.zem"), Concat({audio, Tag({Item("Title", "Old"), Item("Artist", "A")})}));
    {
        CTagBlock tag(dir.WideFile("song.zem").c_str(), 1);
        EXPECT_EQ(1, tag.HasZemTag());
        EXPECT_EQ("Old", Text(tag, WTXT("Title")));
        ASSERT_EQ(0, tag.SetFieldText(WTXT("Title"), WTXT("New")));
        ASSERT_EQ(0, tag.Save(0));
    }
    Bytes expected = Concat({audio, Tag({Item("Artist", "A"), Item("Title", "New")})});
    EXPECT_EQ(expected, ReadFileBytes(dir.File("song.zem")));
}

TEST(TagFile, LinkBuildSequenceOnAFreshFile) {
    TempDir dir;
    const std::string header = "[Link]\r\nImage=x.zem\r\n";
    {
        CWin32File file;
        ASSERT_EQ(0, file.Create(dir.WideFile("track.zlk").c_str()));
        int32_t written = 0;
        ASSERT_EQ(0, file.Write(header.data(), static_cast<int32_t>(header.size()), &written));
        CTagBlock tag(&file, 1);
        EXPECT_EQ(0, tag.GetFieldCount());
        tag.SetFieldText(WTXT("Artist"), WTXT("Ar"));
        tag.SetFieldText(WTXT("Album"), WTXT("Al"));
        tag.SetFieldText(WTXT("Title"), WTXT("Intro"));
        tag.SetFieldText(WTXT("Track"), WTXT("3"));
        ASSERT_EQ(0, tag.Save(0));
    }
    Bytes expected = Concat({testing_support::BytesOf(header),
                             Tag({Item("Track", "3"), Item("Album", "Al"), Item("Artist", "Ar"), Item("Title", "Intro")})});
    EXPECT_EQ(expected, ReadFileBytes(dir.File("track.zlk")));
}

TEST(TagFile, AMissingFileHasNoTagAndCannotBeSaved) {
    TempDir dir;
    CTagBlock tag(dir.WideFile("absent.zem").c_str(), 1);
    EXPECT_EQ(0, tag.GetFieldCount());
    EXPECT_EQ(0, tag.GetTrailingBytes());
    EXPECT_EQ(0, tag.Remove(0));
    tag.SetFieldText(WTXT("Title"), WTXT("x"));
    EXPECT_NE(0, tag.Save(0));
    EXPECT_FALSE(fs::exists(dir.File("absent.zem")));
}

namespace {

// Opens `name` by name, reads its tag, and checks that neither stripping nor
// saving touches the file, which the tag could only open for reading.
void ExpectReadButNotChanged(const TempDir& dir, const std::string& name, const Bytes& content) {
    CTagBlock tag(dir.WideFile(name).c_str(), 1);
    EXPECT_EQ(1, tag.HasId3v1());
    EXPECT_EQ(128, tag.GetTrailingBytes());
    EXPECT_EQ(-1, tag.Remove(0));
    tag.SetFieldText(WTXT("Title"), WTXT("New"));
    EXPECT_EQ(-1, tag.Save(0));
    EXPECT_EQ(-1, tag.Save(1));
    EXPECT_EQ(content, ReadFileBytes(dir.File(name)));
}

Bytes TaggedContent() { return Concat({Audio(300), Tag({Item("Title", "Song")}), Id3v1({})}); }

}  // namespace

TEST(TagFile, AReadOnlyFileIsReadButNeitherStrippedNorSaved) {
    TempDir dir;
    Bytes content = TaggedContent();
    WriteFileBytes(dir.File("locked.zem"), content);
    // Without write permission on Linux; with the read-only attribute on Windows.
    fs::permissions(dir.File("locked.zem"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    {
        CWin32File probe;
        ASSERT_EQ(0, probe.Open(dir.WideFile("locked.zem").c_str()));
        // An emulated system run by an administrator may still grant writing.
        if (!probe.IsReadOnly())
            GTEST_SKIP() << "this account may write to read-only files";
    }
    ExpectReadButNotChanged(dir, "locked.zem", content);
}

TEST(TagFile, AFileHeldWithoutWriteSharingIsReadButNeitherStrippedNorSaved) {
    TempDir dir;
    Bytes content = TaggedContent();
    WriteFileBytes(dir.File("held.zem"), content);
    HANDLE holder = CreateFileW(dir.WideFile("held.zem").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    ExpectReadButNotChanged(dir, "held.zem", content);
    CloseHandle(holder);
}
