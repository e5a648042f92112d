// SPDX-License-Identifier: BSD-3-Clause
// The control's shell layer against the platform's shell: name records, paths,
// the drag-out file list and the size cells of real files.
#include "pathwick/control/drag_out.h"
#include "pathwick/control/file_details.h"
#include "pathwick/control/mIShellFolderDefs.h"
#include "pathwick/control/mListviewDefs.h"
#include "pathwick/control/mShellDefs.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace pathwick;

TEST(ShellLayer, NameRecordsOfEveryKind) {
    // An item "abc" followed by the terminator; the offset record points at its text.
    uint8_t item[] = {6, 0, 'x', 'a', 'b', 'c', 0, 0};
    STRRET record{};
    record.uType = STRRET_OFFSET;
    record.uOffset = 4;
    EXPECT_EQ(StrRetToString(record, item), L"bc");
    record.uOffset = 3;
    EXPECT_EQ(StrRetToString(record, item), L"abc");
    record.uOffset = 8;  // at the end of the list: nothing to read
    EXPECT_EQ(StrRetToString(record, item), L"");
    record.uOffset = 4000;
    EXPECT_EQ(StrRetToString(record, item), L"");

    record.uType = STRRET_CSTR;
    std::memset(record.cStr, 'q', sizeof record.cStr);  // no zero at all: stops at the record's end
    EXPECT_EQ(StrRetToString(record, nullptr), std::wstring(sizeof record.cStr, L'q'));
    std::strcpy(record.cStr, "name");
    EXPECT_EQ(StrRetToString(record, nullptr), L"name");

    record.uType = STRRET_WSTR;
    record.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(12));
    std::memcpy(record.pOleStr, L"wide\0", 10);
    EXPECT_EQ(StrRetToString(record, nullptr), L"wide");
    EXPECT_EQ(record.pOleStr, nullptr);  // freed

    record.uType = 7;
    EXPECT_EQ(StrRetToString(record, item), L"");
}

TEST(ShellLayer, FileListBlockHoldsWidePathsEndedTwice) {
    HGLOBAL block = MakeFileListBlock({L"C:\\a", L"C:\\b c"});
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(GlobalSize(block), sizeof(DROPFILES) + (5 + 7 + 1) * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    EXPECT_EQ(header->pFiles, sizeof(DROPFILES));
    EXPECT_TRUE(header->fWide);
    auto* text = reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(header) + header->pFiles);
    EXPECT_EQ(std::wstring(text, 13), std::wstring(L"C:\\a\0C:\\b c\0\0", 13));
    GlobalUnlock(block);
    GlobalFree(block);
}

TEST(ShellLayer, SizeCellsOfRealFiles) {
    testing_support::TempDir folder;
    const std::pair<size_t, const wchar_t*> files[] = {{0, L"0KB"}, {1, L"1KB"}, {1024, L"1KB"}, {1025, L"2KB"}};
    for (const auto& [size, cell] : files) {
        std::string name = "f" + std::to_string(size);
        testing_support::WriteFileBytes(folder.File(name), testing_support::Bytes(size, 'z'));
        FileCells cells;
        ASSERT_TRUE(LookUpFile(folder.WideFile(name), cells)) << name;
        EXPECT_EQ(cells.size, cell) << name;
        EXPECT_NE(cells.modified.find(L' '), std::wstring::npos) << "date and time: " << name;
    }
    FileCells none;
    EXPECT_FALSE(LookUpFile(folder.WideFile("gone"), none));  // a file that went after listing
    EXPECT_FALSE(LookUpFile(L"", none));
    EXPECT_TRUE(none.size.empty());
}

TEST(ShellLayer, PathsOfFileSystemAndVirtualFolders) {
    ASSERT_TRUE(EnsureShellSingletons());
    testing_support::TempDir folder;
    PIDLIST_ABSOLUTE real = nullptr, drives = nullptr;
    ASSERT_EQ(SHParseDisplayName(folder.WideFile("").c_str(), nullptr, &real, 0, nullptr), S_OK);
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives), S_OK);
    std::wstring expected = folder.WideFile("");
    while (!expected.empty() && (expected.back() == L'\\' || expected.back() == L'/')) expected.pop_back();
    EXPECT_EQ(GetPathFromPidl(reinterpret_cast<ConstPidl>(real)), expected);
    EXPECT_EQ(GetPathFromPidl(reinterpret_cast<ConstPidl>(drives)), L"");  // virtual: no path
    EXPECT_FALSE(GetTypeName(reinterpret_cast<ConstPidl>(real)).empty());
    // The parent of a one-item list is the desktop, and binding it gives the desktop.
    Pidl parent = GetParentPidl(ShellAllocator(), reinterpret_cast<ConstPidl>(drives));
    EXPECT_TRUE(IsDesktopPidl(parent));
    EXPECT_EQ(BindToFolder(gDesktopFolder, parent).Get(), gDesktopFolder);
    EXPECT_EQ(BindToFolderOrNone(parent).Get(), gDesktopFolder);
    FreePidl(parent);
    CoTaskMemFree(real);
    CoTaskMemFree(drives);
    EXPECT_FALSE(FixedColumnTitle(8978).empty());  // the shell's title or our own
}
