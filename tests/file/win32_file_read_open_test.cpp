// SPDX-License-Identifier: BSD-3-Clause
// OpenForReading: the open of callers that only read.
#include "io/win32_file.h"

#include "container/codec_error.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace zem;

using namespace testing_support;

namespace {

TEST(Win32FileOpenForReading, ReadsButNeverWrites) {
    TempDir dir;
    WriteFileBytes(dir.File("a.bin"), BytesOf("0123456789"));
    CWin32File file;
    ASSERT_EQ(file.OpenForReading(dir.WideFile("a.bin").c_str()), 0);
    EXPECT_EQ(file.IsReadOnly(), 1);
    char text[4] = {};
    int32_t count = 0;
    EXPECT_EQ(file.Read(text, 3, &count), CODEC_OK);
    EXPECT_EQ(WString(WTXT("012")), WideFromUtf8(std::string(text, 3)));
    EXPECT_EQ(file.Write("AB", 2, &count), CODEC_WRITE_FAILED);
    EXPECT_EQ(file.SetEof(), -1);
    // Writers are still let in beside it.
    CWin32File writer;
    EXPECT_EQ(writer.Open(dir.WideFile("a.bin").c_str()), 0);
    EXPECT_EQ(writer.IsReadOnly(), 0);
    writer.Close();
    file.Close();
    EXPECT_EQ(ReadFileBytes(dir.File("a.bin")), BytesOf("0123456789"));
}

TEST(Win32FileOpenForReading, MissingFileAndFolderAreRefused) {
    TempDir dir;
    CWin32File file;
    EXPECT_EQ(file.OpenForReading(dir.WideFile("missing.bin").c_str()), -1);
    EXPECT_EQ(file.OpenForReading(dir.WideFile("").c_str()), -1);
    EXPECT_EQ(file.GetSize(), -1);
}

#ifndef _WIN32
// Opening a FIFO for reading would wait for a writer, and reading it would
// wait for data: it is refused at once instead.
TEST(Win32FileOpenForReading, FifoIsRefusedWithoutWaiting) {
    TempDir dir;
    ASSERT_EQ(0, mkfifo(dir.File("pipe").c_str(), 0600));
    CWin32File file;
    EXPECT_EQ(file.OpenForReading(dir.WideFile("pipe").c_str()), -1);
    EXPECT_EQ(file.GetSize(), -1);
}
#endif

}  // namespace
