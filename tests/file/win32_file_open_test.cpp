// SPDX-License-Identifier: BSD-3-Clause
#include "io/win32_file.h"

#include "container/codec_error.h"

#include "tests/file/read_only_file.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace zem;

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

WString NameOf(CWin32File& file) {
    WCHAR buffer[kMaxPathChars];
    buffer[0] = 1;  // must be overwritten
    EXPECT_EQ(file.GetName(buffer), 0);
    return WString(buffer);
}

// A name of exactly `length` characters inside `dir`.
// A name of `length` characters in `dir`; on Linux, whose file names end at
// 255 bytes, in folders of 200 characters (made here) down to its file.
WString NameOfLength(const TempDir& dir, size_t length) {
    WString name = dir.WideFile("");
    if (name.empty() || (name.back() != WTXT('/') && name.back() != WTXT('\\')))
        name += WTXT('/');
#ifndef _WIN32
    while (length > name.size() + 201) {
        name.append(200, WTXT('d'));
        fs::create_directory(fs::path(Utf8FromWide(name)));
        name += WTXT('/');
    }
#endif
    name.resize(length, WTXT('n'));
    return name;
}

TEST(Win32FileOpen, NewObjectHasNoFileAndAnEmptyName) {
    CWin32File file;
    EXPECT_EQ(NameOf(file), WString());
    EXPECT_EQ(file.IsReadOnly(), 0);
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_EQ(file.GetPosition(), -1);
    EXPECT_EQ(file.Close(), 0);
}

TEST(Win32FileOpen, OpensAnExistingFileForWriting) {
    TempDir dir;
    WriteFileBytes(dir.File("a.bin"), BytesOf("0123456789"));
    CWin32File file;
    ASSERT_EQ(file.Open(dir.WideFile("a.bin").c_str()), 0);
    EXPECT_EQ(file.IsReadOnly(), 0);
    EXPECT_EQ(NameOf(file), dir.WideFile("a.bin"));
    EXPECT_EQ(file.GetSize(), 10);
    EXPECT_EQ(file.GetPosition(), 0);
    int32_t written = 0;
    EXPECT_EQ(file.Write("AB", 2, &written), 0);
    EXPECT_EQ(written, 2);
    file.Close();
    EXPECT_EQ(ReadFileBytes(dir.File("a.bin")), BytesOf("AB23456789"));
}

TEST(Win32FileOpen, MissingFileFailsAndLeavesNoFile) {
    TempDir dir;
    CWin32File file;
    EXPECT_EQ(file.Open(dir.WideFile("missing.bin").c_str()), -1);
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_EQ(file.GetPosition(), -1);
    EXPECT_EQ(NameOf(file), WString());
    EXPECT_FALSE(fs::exists(dir.File("missing.bin")));
}

TEST(Win32FileOpen, TwoObjectsShareAFileForReadingAndWriting) {
    TempDir dir;
    WriteFileBytes(dir.File("a.bin"), BytesOf("xyz"));
    CWin32File first, second;
    ASSERT_EQ(first.Open(dir.WideFile("a.bin").c_str()), 0);
    ASSERT_EQ(second.Open(dir.WideFile("a.bin").c_str()), 0);
    EXPECT_EQ(first.IsReadOnly(), 0);
    EXPECT_EQ(second.IsReadOnly(), 0);
}

// The checks shared by every way of ending up with a read-only object.
void ExpectReadOnlyFallback(CWin32File& file, const fs::path& path, const Bytes& content) {
    EXPECT_EQ(file.IsReadOnly(), 1);
    char buffer[16] = {};
    int32_t count = -1;
    EXPECT_EQ(file.Read(buffer, 3, &count), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(std::string(buffer, 3), std::string(content.begin(), content.begin() + 3));
    count = -1;
    EXPECT_EQ(file.Write("zz", 2, &count), CODEC_WRITE_FAILED);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(file.SetEof(), -1);
    file.Close();
    EXPECT_EQ(ReadFileBytes(path), content);
}

TEST(Win32FileOpen, FileHeldWithoutWriteSharingOpensReadOnly) {
    TempDir dir;
    Bytes content = BytesOf("held file");
    WriteFileBytes(dir.File("held.bin"), content);
    HANDLE holder = CreateFileW(dir.WideFile("held.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    CWin32File file;
    ASSERT_EQ(file.Open(dir.WideFile("held.bin").c_str()), 0);
    ExpectReadOnlyFallback(file, dir.File("held.bin"), content);
    CloseHandle(holder);
}

TEST(Win32FileOpen, ReadOnlyFileOpensReadOnly) {
    TempDir dir;
    SKIP_UNLESS_READ_ONLY_HONOURED(dir);
    Bytes content = BytesOf("read-only file");
    WriteFileBytes(dir.File("ro.bin"), content);
    MakeReadOnly(dir.File("ro.bin"));
    CWin32File file;
    ASSERT_EQ(file.Open(dir.WideFile("ro.bin").c_str()), 0);
    EXPECT_EQ(file.GetSize(), static_cast<int32_t>(content.size()));
    ExpectReadOnlyFallback(file, dir.File("ro.bin"), content);
}

TEST(Win32FileOpen, ReadOnlyObjectLeavesRoomForOtherReadersOnly) {
    TempDir dir;
    SKIP_UNLESS_READ_ONLY_HONOURED(dir);
    WriteFileBytes(dir.File("ro.bin"), BytesOf("abc"));
    MakeReadOnly(dir.File("ro.bin"));
    CWin32File file, reader;
    ASSERT_EQ(file.Open(dir.WideFile("ro.bin").c_str()), 0);
    ASSERT_EQ(reader.Open(dir.WideFile("ro.bin").c_str()), 0);
    EXPECT_EQ(reader.IsReadOnly(), 1);
}

TEST(Win32FileOpen, FileHeldByCreateCannotBeOpenedAtAll) {
    TempDir dir;
    CWin32File creator, other;
    ASSERT_EQ(creator.Create(dir.WideFile("new.bin").c_str()), 0);
    EXPECT_EQ(other.Open(dir.WideFile("new.bin").c_str()), -1);
    EXPECT_EQ(other.GetSize(), -1);
    HANDLE reader = CreateFileW(dir.WideFile("new.bin").c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    creator.Close();
    EXPECT_EQ(other.Open(dir.WideFile("new.bin").c_str()), 0);
}

TEST(Win32FileOpen, SecondOpenClosesTheFirstFile) {
    TempDir dir;
    WriteFileBytes(dir.File("a.bin"), BytesOf("aaaa"));
    WriteFileBytes(dir.File("b.bin"), BytesOf("bb"));
    CWin32File file;
    ASSERT_EQ(file.Create(dir.WideFile("a.bin").c_str()), 0);  // holds a.bin unshared
    ASSERT_EQ(file.Open(dir.WideFile("b.bin").c_str()), 0);
    EXPECT_EQ(NameOf(file), dir.WideFile("b.bin"));
    EXPECT_EQ(file.GetSize(), 2);
    CWin32File other;
    EXPECT_EQ(other.Create(dir.WideFile("a.bin").c_str()), 0) << "a.bin is still held";
}

TEST(Win32FileOpen, FailedReopenStillClosesTheFirstFile) {
    TempDir dir;
    CWin32File file;
    ASSERT_EQ(file.Create(dir.WideFile("a.bin").c_str()), 0);
    EXPECT_EQ(file.Open(dir.WideFile("missing.bin").c_str()), -1);
    EXPECT_EQ(file.GetSize(), -1);
    // A plain failure keeps the name of the last success.
    EXPECT_EQ(NameOf(file), dir.WideFile("a.bin"));
    CWin32File other;
    EXPECT_EQ(other.Create(dir.WideFile("a.bin").c_str()), 0) << "a.bin is still held";
}

TEST(Win32FileCreate, EmptiesAnExistingFile) {
    TempDir dir;
    WriteFileBytes(dir.File("a.bin"), BytesOf("old content"));
    CWin32File file;
    ASSERT_EQ(file.Create(dir.WideFile("a.bin").c_str()), 0);
    EXPECT_EQ(file.GetSize(), 0);
    EXPECT_EQ(file.GetPosition(), 0);
    EXPECT_EQ(NameOf(file), dir.WideFile("a.bin"));
    int32_t written = 0;
    EXPECT_EQ(file.Write("new", 3, &written), 0);
    file.Close();
    EXPECT_EQ(ReadFileBytes(dir.File("a.bin")), BytesOf("new"));
}

TEST(Win32FileCreate, MakesANewFileAndClearsTheReadOnlyFlag) {
    TempDir dir;
    SKIP_UNLESS_READ_ONLY_HONOURED(dir);
    WriteFileBytes(dir.File("ro.bin"), BytesOf("r"));
    MakeReadOnly(dir.File("ro.bin"));
    CWin32File file;
    ASSERT_EQ(file.Open(dir.WideFile("ro.bin").c_str()), 0);
    ASSERT_EQ(file.IsReadOnly(), 1);
    ASSERT_EQ(file.Create(dir.WideFile("fresh.bin").c_str()), 0);
    EXPECT_EQ(file.IsReadOnly(), 0);
    EXPECT_TRUE(fs::exists(dir.File("fresh.bin")));
}

TEST(Win32FileCreate, ReadOnlyFileIsRefusedAndKeptWhole) {
    TempDir dir;
    SKIP_UNLESS_READ_ONLY_HONOURED(dir);
    WriteFileBytes(dir.File("ro.bin"), BytesOf("keep me"));
    MakeReadOnly(dir.File("ro.bin"));
    CWin32File file;
    EXPECT_EQ(file.Create(dir.WideFile("ro.bin").c_str()), -1);
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_EQ(ReadFileBytes(dir.File("ro.bin")), BytesOf("keep me"));
}

TEST(Win32FileCreate, FileOpenElsewhereIsRefusedAndKeptWhole) {
    TempDir dir;
    WriteFileBytes(dir.File("a.bin"), BytesOf("in use"));
    CWin32File user, creator;
    ASSERT_EQ(user.Open(dir.WideFile("a.bin").c_str()), 0);
    EXPECT_EQ(creator.Create(dir.WideFile("a.bin").c_str()), -1);
    user.Close();
    EXPECT_EQ(ReadFileBytes(dir.File("a.bin")), BytesOf("in use"));
}

TEST(Win32FileCreate, DestructorReleasesTheFile) {
    TempDir dir;
    {
        CWin32File file;
        ASSERT_EQ(file.Create(dir.WideFile("a.bin").c_str()), 0);
    }
    CWin32File again;
    EXPECT_EQ(again.Open(dir.WideFile("a.bin").c_str()), 0);
}

TEST(Win32FileNames, LongestNameIsAcceptedAndKeptWhole) {
    TempDir dir;
    WString name = NameOfLength(dir, kMaxPathChars - 1);
    CWin32File file;
    ASSERT_EQ(file.Create(name.c_str()), 0);
    EXPECT_EQ(NameOf(file), name);
    file.Close();
    EXPECT_EQ(file.Open(name.c_str()), 0);
    EXPECT_EQ(NameOf(file), name);
    EXPECT_EQ(file.Delete(), 0);
}

TEST(Win32FileNames, NameOneLongerIsRefusedByCreate) {
    TempDir dir;
    CWin32File file;
    ASSERT_EQ(file.Create(dir.WideFile("first.bin").c_str()), 0);
    WString name = NameOfLength(dir, kMaxPathChars);
    EXPECT_EQ(file.Create(name.c_str()), -1);
    EXPECT_EQ(file.GetSize(), -1);
    // Neither the long name nor the previous one is kept: Delete now has
    // nothing to remove, and first.bin, closed, stays.
    EXPECT_EQ(NameOf(file), WString());
    EXPECT_EQ(file.Delete(), -1);
    EXPECT_TRUE(fs::exists(dir.File("first.bin")));
    // (On Linux the long name's folders are there too.)
    EXPECT_EQ(std::count_if(fs::directory_iterator(dir.Path()), fs::directory_iterator(),
                            [](const fs::directory_entry& entry) { return entry.is_regular_file(); }),
              1);
    CWin32File other;
    EXPECT_EQ(other.Create(dir.WideFile("first.bin").c_str()), 0) << "first.bin is still held";
}

TEST(Win32FileNames, NameOneLongerIsRefusedByOpen) {
    TempDir dir;
    WString name = NameOfLength(dir, kMaxPathChars);
    CWin32File file;
    EXPECT_EQ(file.Open(name.c_str()), -1);
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_EQ(NameOf(file), WString());
    EXPECT_EQ(file.Open(nullptr), -1);
}

TEST(Win32FileDelete, RemovesTheFileAfterClosingIt) {
    TempDir dir;
    CWin32File file;
    ASSERT_EQ(file.Create(dir.WideFile("a.bin").c_str()), 0);
    EXPECT_EQ(file.Delete(), 0);
    EXPECT_FALSE(fs::exists(dir.File("a.bin")));
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_EQ(NameOf(file), dir.WideFile("a.bin"));
    EXPECT_EQ(file.Delete(), -1);
}

TEST(Win32FileDelete, ReadOnlyFileIsNotDeleted) {
    TempDir dir;
    WriteFileBytes(dir.File("ro.bin"), BytesOf("ro"));
    MakeReadOnly(dir.File("ro.bin"));
    CWin32File file;
    ASSERT_EQ(file.Open(dir.WideFile("ro.bin").c_str()), 0);
    EXPECT_EQ(file.Delete(), -1);
    EXPECT_TRUE(fs::exists(dir.File("ro.bin")));
}

TEST(Win32FileDelete, FileOpenElsewhereIsNotDeleted) {
    TempDir dir;
    WriteFileBytes(dir.File("a.bin"), BytesOf("a"));
    CWin32File user, deleter;
    ASSERT_EQ(user.Open(dir.WideFile("a.bin").c_str()), 0);
    ASSERT_EQ(deleter.Open(dir.WideFile("a.bin").c_str()), 0);
    EXPECT_EQ(deleter.Delete(), -1);
    EXPECT_TRUE(fs::exists(dir.File("a.bin")));
    user.Close();
    EXPECT_EQ(deleter.Delete(), 0);
    EXPECT_FALSE(fs::exists(dir.File("a.bin")));
}

}  // namespace
