// SPDX-License-Identifier: BSD-3-Clause
// Results and errors of the file calls, as the portable code relies on them.
#include "platform/win32.h"
#include "tests/file/read_only_file.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// A handle that closes itself at the end of a test.
class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

HANDLE OpenFile(const WString& name, DWORD access, DWORD disposition, DWORD share = FILE_SHARE_READ) {
    SetLastError(12345);
    return CreateFileW(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD Position(HANDLE file) { return SetFilePointer(file, 0, nullptr, FILE_CURRENT); }

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

TEST(CreateFile, MissingFileOrFolder) {
    TempDir dir;
    EXPECT_EQ(OpenFile(dir.WideFile("none.bin"), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenFile(dir.WideFile("none.bin"), kReadWrite, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenFile(dir.WideFile("no-folder/none.bin"), kReadWrite, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(CreateFile, DispositionsOnAnExistingFile) {
    TempDir dir;
    WString name = dir.WideFile("f.bin");
    WriteFileBytes(dir.File("f.bin"), BytesOf("12345"));
    EXPECT_EQ(OpenFile(name, kReadWrite, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    {
        Handle kept(OpenFile(name, kReadWrite, OPEN_ALWAYS));
        ASSERT_TRUE(kept.valid());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        EXPECT_EQ(GetFileSize(kept.get(), nullptr), 5u);
    }
    {
        Handle emptied(OpenFile(name, kReadWrite, CREATE_ALWAYS));
        ASSERT_TRUE(emptied.valid());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        EXPECT_EQ(GetFileSize(emptied.get(), nullptr), 0u);
    }
    WriteFileBytes(dir.File("f.bin"), BytesOf("12345"));
    Handle truncated(OpenFile(name, GENERIC_WRITE, TRUNCATE_EXISTING));
    ASSERT_TRUE(truncated.valid());
    EXPECT_EQ(GetFileSize(truncated.get(), nullptr), 0u);
}

TEST(CreateFile, DispositionsOnANewFile) {
    TempDir dir;
    {
        Handle created(OpenFile(dir.WideFile("a.bin"), kReadWrite, CREATE_NEW));
        ASSERT_TRUE(created.valid());
        EXPECT_EQ(GetLastError(), 0u);
    }
    {
        Handle created(OpenFile(dir.WideFile("b.bin"), kReadWrite, OPEN_ALWAYS));
        ASSERT_TRUE(created.valid());
        EXPECT_EQ(GetLastError(), 0u);
    }
    Handle created(OpenFile(dir.WideFile("c.bin"), kReadWrite, CREATE_ALWAYS));
    ASSERT_TRUE(created.valid());
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(fs::exists(dir.File("a.bin")));
    EXPECT_TRUE(fs::exists(dir.File("b.bin")));
    EXPECT_TRUE(fs::exists(dir.File("c.bin")));
}

TEST(CreateFile, BackslashesSeparateFolders) {
    TempDir dir;
    fs::create_directory(dir.File("sub"));
    WriteFileBytes(dir.File("sub") / "x.bin", BytesOf("x"));
    WString name = ToWide(dir.Path()) + WTXT("\\sub\\x.bin");
    Handle file(OpenFile(name, GENERIC_READ, OPEN_EXISTING));
    ASSERT_TRUE(file.valid());
    EXPECT_EQ(GetFileSize(file.get(), nullptr), 1u);
}

TEST(CreateFile, NamesOutsideAsciiReachTheFileSystemIntact) {
    TempDir dir;
    const std::string utf8 = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5.bin";
    {
        Handle file(OpenFile(dir.WideFile(utf8), kReadWrite, CREATE_NEW));
        ASSERT_TRUE(file.valid());
    }
    EXPECT_TRUE(fs::exists(dir.File(utf8)));
    EXPECT_TRUE(DeleteFileW(dir.WideFile(utf8).c_str()));
    EXPECT_FALSE(fs::exists(dir.File(utf8)));
}

TEST(CreateFile, ReadOnlyFileOpensForReadingOnly) {
    TempDir dir;
    SKIP_UNLESS_READ_ONLY_HONOURED(dir);
    WriteFileBytes(dir.File("ro.bin"), BytesOf("ro"));
    MakeReadOnly(dir.File("ro.bin"));
    EXPECT_EQ(OpenFile(dir.WideFile("ro.bin"), kReadWrite, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OpenFile(dir.WideFile("ro.bin"), kReadWrite, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    Handle reader(OpenFile(dir.WideFile("ro.bin"), GENERIC_READ, OPEN_EXISTING));
    EXPECT_TRUE(reader.valid());
    EXPECT_EQ(ReadFileBytes(dir.File("ro.bin")), BytesOf("ro"));
}

TEST(CreateFile, FolderIsNoFile) {
    TempDir dir;
    EXPECT_EQ(OpenFile(ToWide(dir.Path()), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

class OpenData : public ::testing::Test {
protected:
    void SetUp() override { WriteFileBytes(m_dir.File("d.bin"), BytesOf("0123456789")); }
    HANDLE Open(DWORD access) { return OpenFile(m_dir.WideFile("d.bin"), access, OPEN_EXISTING); }
    TempDir m_dir;
};

TEST_F(OpenData, SetFilePointerMovesFromEachOrigin) {
    Handle file(Open(GENERIC_READ));
    ASSERT_TRUE(file.valid());
    EXPECT_EQ(SetFilePointer(file.get(), 4, nullptr, FILE_BEGIN), 4u);
    EXPECT_EQ(SetFilePointer(file.get(), 3, nullptr, FILE_CURRENT), 7u);
    EXPECT_EQ(SetFilePointer(file.get(), -2, nullptr, FILE_END), 8u);
    EXPECT_EQ(SetFilePointer(file.get(), 15, nullptr, FILE_END), 25u);
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(file.get(), 6, &high, FILE_BEGIN), 6u);
    EXPECT_EQ(high, 0);
}

TEST_F(OpenData, SeekBeforeTheStartFailsAndKeepsThePosition) {
    Handle file(Open(GENERIC_READ));
    ASSERT_TRUE(file.valid());
    SetFilePointer(file.get(), 3, nullptr, FILE_BEGIN);
    SetLastError(0);
    EXPECT_EQ(SetFilePointer(file.get(), -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(file.get(), -4, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(SetFilePointer(file.get(), -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(Position(file.get()), 3u);
    LONG high = -1;
    EXPECT_EQ(SetFilePointer(file.get(), -1, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(Position(file.get()), 3u);
}

TEST_F(OpenData, ReadAtTheEndSucceedsWithNothing) {
    Handle file(Open(GENERIC_READ));
    ASSERT_TRUE(file.valid());
    char buffer[16] = {};
    DWORD read = 99;
    EXPECT_TRUE(ReadFile(file.get(), buffer, 16, &read, nullptr));
    EXPECT_EQ(read, 10u);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    read = 99;
    EXPECT_TRUE(ReadFile(file.get(), buffer, 16, &read, nullptr));
    EXPECT_EQ(read, 0u);
}

TEST_F(OpenData, HandleWithoutWriteAccessCannotWriteOrTruncate) {
    Handle file(Open(GENERIC_READ));
    ASSERT_TRUE(file.valid());
    DWORD written = 99;
    SetLastError(0);
    EXPECT_FALSE(WriteFile(file.get(), "ab", 2, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(written, 0u);
    SetFilePointer(file.get(), 4, nullptr, FILE_BEGIN);
    EXPECT_FALSE(SetEndOfFile(file.get()));
    EXPECT_EQ(GetFileSize(file.get(), nullptr), 10u);
}

TEST_F(OpenData, HandleWithoutReadAccessCannotRead) {
    Handle file(Open(GENERIC_WRITE));
    ASSERT_TRUE(file.valid());
    char buffer[4];
    DWORD read = 99;
    SetLastError(0);
    EXPECT_FALSE(ReadFile(file.get(), buffer, 4, &read, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(read, 0u);
}

TEST_F(OpenData, WriteAndSetEndOfFileChangeTheFile) {
    {
        Handle file(Open(kReadWrite));
        ASSERT_TRUE(file.valid());
        SetFilePointer(file.get(), 8, nullptr, FILE_BEGIN);
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file.get(), "abcd", 4, &written, nullptr));
        EXPECT_EQ(written, 4u);
        DWORD high = 99;
        EXPECT_EQ(GetFileSize(file.get(), &high), 12u);
        EXPECT_EQ(high, 0u);
        SetFilePointer(file.get(), 10, nullptr, FILE_BEGIN);
        EXPECT_TRUE(SetEndOfFile(file.get()));
        EXPECT_EQ(Position(file.get()), 10u);
    }
    EXPECT_EQ(ReadFileBytes(m_dir.File("d.bin")), BytesOf("01234567ab"));
}

TEST(FileHandles, BadHandlesFail) {
    SetLastError(0);
    EXPECT_EQ(GetFileSize(nullptr, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetFileSize(INVALID_HANDLE_VALUE, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(SetFilePointer(nullptr, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    DWORD count = 99;
    char buffer[4];
    EXPECT_FALSE(ReadFile(nullptr, buffer, 4, &count, nullptr));
    EXPECT_FALSE(WriteFile(nullptr, buffer, 4, &count, nullptr));
    EXPECT_FALSE(SetEndOfFile(nullptr));
    EXPECT_FALSE(CloseHandle(nullptr));
}

#ifndef _WIN32
// Handle values are never reused while the test holds on, so a stale one can
// be checked only on our own layer.
TEST(FileHandles, ClosedHandleIsNoLongerValid) {
    TempDir dir;
    WriteFileBytes(dir.File("f.bin"), BytesOf("f"));
    HANDLE file = OpenFile(dir.WideFile("f.bin"), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetFileSize(file, nullptr), INVALID_FILE_SIZE);
}
#endif

TEST(DeleteFile, MissingAndReadOnlyFiles) {
    TempDir dir;
    SetLastError(0);
    EXPECT_FALSE(DeleteFileW(dir.WideFile("none.bin").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    WriteFileBytes(dir.File("ro.bin"), BytesOf("ro"));
    MakeReadOnly(dir.File("ro.bin"));
    EXPECT_FALSE(DeleteFileW(dir.WideFile("ro.bin").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(fs::exists(dir.File("ro.bin")));
}

}  // namespace
