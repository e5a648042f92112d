// SPDX-License-Identifier: BSD-3-Clause
#include "io/win32_file.h"

#include "container/codec_error.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace zem;

using namespace testing_support;

namespace {

// A 100-byte file whose byte i is i, opened read-write.
class Win32FileIo : public ::testing::Test {
protected:
    void SetUp() override {
        Bytes bytes(100);
        std::iota(bytes.begin(), bytes.end(), 0);
        WriteFileBytes(m_dir.File("data.bin"), bytes);
        ASSERT_EQ(m_file.Open(m_dir.WideFile("data.bin").c_str()), 0);
    }

    TempDir m_dir;
    CWin32File m_file;
};

TEST_F(Win32FileIo, ReadStopsShortAtTheEndAndThenReadsNothing) {
    m_file.Seek(-40, 2);
    uint8_t buffer[100] = {};
    int32_t count = -1;
    EXPECT_EQ(m_file.Read(buffer, 100, &count), 0);
    ASSERT_EQ(count, 40);
    EXPECT_EQ(buffer[0], 60);
    EXPECT_EQ(buffer[39], 99);
    EXPECT_EQ(buffer[40], 0) << "nothing written behind what was read";
    count = -1;
    EXPECT_EQ(m_file.Read(buffer, 100, &count), 0);
    EXPECT_EQ(count, 0);
}

TEST_F(Win32FileIo, ReadOfNothingDoesNothing) {
    uint8_t buffer[4] = {7, 7, 7, 7};
    int32_t count = -1;
    EXPECT_EQ(m_file.Read(buffer, 0, &count), 0);
    EXPECT_EQ(count, 0);
    count = -1;
    EXPECT_EQ(m_file.Read(buffer, -5, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(buffer[0], 7);
    EXPECT_EQ(m_file.GetPosition(), 0);
}

TEST_F(Win32FileIo, ReadWithoutAFileFails) {
    m_file.Close();
    uint8_t buffer[4];
    int32_t count = -1;
    EXPECT_EQ(m_file.Read(buffer, 4, &count), CODEC_READ_FAILED);
    EXPECT_EQ(count, 0);
    count = -1;
    EXPECT_EQ(m_file.Read(buffer, 0, &count), 0) << "an empty request never reaches the platform";
    EXPECT_EQ(count, 0);
}

TEST_F(Win32FileIo, SeekBeforeTheStartFailsSilentlyAndKeepsThePosition) {
    m_file.Seek(10, 0);
    EXPECT_EQ(m_file.Seek(-128, 2), 0);
    EXPECT_EQ(m_file.GetPosition(), 10);
    uint8_t byte = 0;
    int32_t count = 0;
    EXPECT_EQ(m_file.Read(&byte, 1, &count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(byte, 10);
    EXPECT_EQ(m_file.Seek(-12, 1), 0);
    EXPECT_EQ(m_file.GetPosition(), 11);
}

TEST_F(Win32FileIo, SeekFromEachOrigin) {
    m_file.Seek(30, 0);
    EXPECT_EQ(m_file.GetPosition(), 30);
    m_file.Seek(-5, 1);
    EXPECT_EQ(m_file.GetPosition(), 25);
    m_file.Seek(-1, 2);
    EXPECT_EQ(m_file.GetPosition(), 99);
    m_file.Seek(20, 2);
    EXPECT_EQ(m_file.GetPosition(), 120);
    uint8_t buffer[4];
    int32_t count = -1;
    EXPECT_EQ(m_file.Read(buffer, 4, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(m_file.GetSize(), 100);
}

TEST_F(Win32FileIo, PositionFollowsShortReadsAndStartsAtZeroOnEveryOpen) {
    m_file.Seek(96, 0);
    uint8_t buffer[8];
    int32_t count = -1;
    EXPECT_EQ(m_file.Read(buffer, 8, &count), 0);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(m_file.GetPosition(), 100);
    EXPECT_EQ(m_file.Open(m_dir.WideFile("data.bin").c_str()), 0);
    EXPECT_EQ(m_file.GetPosition(), 0);
    EXPECT_EQ(m_file.Read(buffer, 3, &count), 0);
    EXPECT_EQ(m_file.GetPosition(), 3);
    m_file.Close();
    EXPECT_EQ(m_file.GetPosition(), -1) << "a closed file has no position";
}

TEST_F(Win32FileIo, SeekWithAnUnknownOriginChangesNothing) {
    m_file.Seek(7, 0);
    EXPECT_EQ(m_file.Seek(3, 5), 0);
    EXPECT_EQ(m_file.GetPosition(), 7);
}

TEST_F(Win32FileIo, WriteReplacesAndExtends) {
    m_file.Seek(98, 0);
    int32_t written = -1;
    EXPECT_EQ(m_file.Write("WXYZ", 4, &written), 0);
    EXPECT_EQ(written, 4);
    EXPECT_EQ(m_file.GetPosition(), 102);
    EXPECT_EQ(m_file.GetSize(), 102);
    m_file.Seek(96, 0);
    char back[6] = {};
    int32_t count = 0;
    EXPECT_EQ(m_file.Read(back, 6, &count), 0);
    EXPECT_EQ(count, 6);
    EXPECT_EQ(std::string(back, 6), std::string("\x60\x61WXYZ", 6));
    m_file.Close();
    Bytes stored = ReadFileBytes(m_dir.File("data.bin"));
    ASSERT_EQ(stored.size(), 102u);
    EXPECT_EQ(stored[97], 97);
    EXPECT_EQ(stored[101], 'Z');
}

TEST_F(Win32FileIo, WriteOfNothingSucceeds) {
    int32_t written = -1;
    EXPECT_EQ(m_file.Write("", 0, &written), 0);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(m_file.GetSize(), 100);
}

TEST_F(Win32FileIo, WriteOfANegativeCountFails) {
    int32_t written = -1;
    EXPECT_EQ(m_file.Write("abc", -3, &written), CODEC_WRITE_FAILED);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(m_file.GetSize(), 100);
}

TEST_F(Win32FileIo, WriteWithoutAFileFails) {
    m_file.Close();
    int32_t written = -1;
    EXPECT_EQ(m_file.Write("abc", 3, &written), CODEC_WRITE_FAILED);
    EXPECT_EQ(written, 0);
}

TEST_F(Win32FileIo, SetEofCutsAtThePositionAndCanExtend) {
    m_file.Seek(40, 0);
    EXPECT_EQ(m_file.SetEof(), 0);
    EXPECT_EQ(m_file.GetSize(), 40);
    EXPECT_EQ(m_file.GetPosition(), 40);
    m_file.Seek(64, 0);
    EXPECT_EQ(m_file.SetEof(), 0);
    EXPECT_EQ(m_file.GetSize(), 64);
    m_file.Close();
    Bytes stored = ReadFileBytes(m_dir.File("data.bin"));
    ASSERT_EQ(stored.size(), 64u);
    EXPECT_EQ(stored[39], 39);
    EXPECT_EQ(stored[40], 0);
    EXPECT_EQ(m_file.SetEof(), -1);
}

TEST_F(Win32FileIo, PositionAndSizeWithoutAFileAreMinusOne) {
    m_file.Close();
    EXPECT_EQ(m_file.GetPosition(), -1);
    EXPECT_EQ(m_file.GetSize(), -1);
    EXPECT_EQ(m_file.Seek(0, 0), 0);
    EXPECT_EQ(m_file.Close(), 0) << "closing twice is harmless";
}

TEST_F(Win32FileIo, ReadFillsTheWholeBuffer) {
    uint8_t buffer[100] = {};
    int32_t count = 0;
    EXPECT_EQ(m_file.Read(buffer, 100, &count), 0);
    ASSERT_EQ(count, 100);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(buffer[i], i);
}

}  // namespace
