// SPDX-License-Identifier: BSD-3-Clause
// Share modes as Win32 enforces them between handles of one process.
#include "platform/win32.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

using namespace testing_support;

namespace {

class ShareModes : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(m_dir.File("f.bin"), BytesOf("content"));
        m_name = m_dir.WideFile("f.bin");
    }
    void TearDown() override {
        for (HANDLE handle : m_open)
            CloseHandle(handle);
    }

    HANDLE Open(DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
        HANDLE handle = CreateFileW(m_name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            m_open.push_back(handle);
        return handle;
    }

    void ExpectRefused(DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
        SetLastError(0);
        EXPECT_EQ(Open(access, share, disposition), INVALID_HANDLE_VALUE)
            << "access " << std::hex << access << " share " << share;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }

    void Close(HANDLE handle) {
        m_open.erase(std::find(m_open.begin(), m_open.end(), handle));
        EXPECT_TRUE(CloseHandle(handle));
    }

    static constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
    static constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

    TempDir m_dir;
    WString m_name;
    std::vector<HANDLE> m_open;
};

TEST_F(ShareModes, HandleWithoutSharingShutsOutEveryOtherOpen) {
    ASSERT_NE(Open(kReadWrite, 0), INVALID_HANDLE_VALUE);
    ExpectRefused(GENERIC_READ, kShareAll);
    ExpectRefused(GENERIC_WRITE, kShareAll);
    ExpectRefused(kReadWrite, kShareAll | FILE_SHARE_DELETE);
    ExpectRefused(kReadWrite, 0, CREATE_ALWAYS);
}

TEST_F(ShareModes, HandleSharingReadingOnlyShutsOutWriters) {
    ASSERT_NE(Open(GENERIC_READ, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
    EXPECT_NE(Open(GENERIC_READ, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
    EXPECT_NE(Open(GENERIC_READ, kShareAll), INVALID_HANDLE_VALUE);
    ExpectRefused(GENERIC_WRITE, kShareAll);
    ExpectRefused(kReadWrite, kShareAll);
}

TEST_F(ShareModes, NewOpenMustShareWhatOpenHandlesAlreadyDo) {
    ASSERT_NE(Open(kReadWrite, kShareAll), INVALID_HANDLE_VALUE);
    // The open handle writes, so an open that refuses to share writing cannot join.
    ExpectRefused(GENERIC_READ, FILE_SHARE_READ);
    ExpectRefused(GENERIC_READ, FILE_SHARE_WRITE);
    EXPECT_NE(Open(GENERIC_READ, kShareAll), INVALID_HANDLE_VALUE);
}

TEST_F(ShareModes, ReaderThatSharesWritingLetsWritersIn) {
    ASSERT_NE(Open(GENERIC_READ, kShareAll), INVALID_HANDLE_VALUE);
    EXPECT_NE(Open(GENERIC_WRITE, kShareAll), INVALID_HANDLE_VALUE);
    // Now a writer is open too: a reader that does not share writing is refused.
    ExpectRefused(GENERIC_READ, FILE_SHARE_READ);
}

TEST_F(ShareModes, ClosingTheLastClashingHandleLetsTheOpenThrough) {
    HANDLE first = Open(GENERIC_READ, FILE_SHARE_READ);
    HANDLE second = Open(GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    Close(first);
    ExpectRefused(kReadWrite, kShareAll);
    Close(second);
    EXPECT_NE(Open(kReadWrite, 0), INVALID_HANDLE_VALUE);
}

TEST_F(ShareModes, RefusedCreateLeavesTheContent) {
    ASSERT_NE(Open(GENERIC_READ, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
    ExpectRefused(kReadWrite, kShareAll, CREATE_ALWAYS);
    ExpectRefused(kReadWrite, kShareAll, TRUNCATE_EXISTING);
    EXPECT_EQ(ReadFileBytes(m_dir.File("f.bin")), BytesOf("content"));
}

TEST_F(ShareModes, DeleteNeedsDeleteSharingFromEveryOpenHandle) {
    HANDLE handle = Open(GENERIC_READ, kShareAll);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    SetLastError(0);
    EXPECT_FALSE(DeleteFileW(m_name.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    Close(handle);
    HANDLE sharing = Open(GENERIC_READ, kShareAll | FILE_SHARE_DELETE);
    ASSERT_NE(sharing, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(DeleteFileW(m_name.c_str()));
    Close(sharing);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("f.bin")));
}

}  // namespace
