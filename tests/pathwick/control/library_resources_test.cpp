// SPDX-License-Identifier: BSD-3-Clause
// What Pathwick.dll carries: the type library with the names hosts bind to,
// and the 16 by 16 toolbox bitmap.
#include <windows.h>
#include <oleauto.h>

#include "tests/pathwick/control/library_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(LibraryResources, TypeLibraryNamesTheControlItsInterfacesAndMethods) {
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, &library), S_OK);
    BSTR libraryName = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &libraryName, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(libraryName), L"PathwickControl");
    SysFreeString(libraryName);

    struct Expected {
        const wchar_t* name;
        TYPEKIND kind;
        std::vector<std::wstring> methods;  // with dispatch identifiers 1, 2, 3...
    };
    const Expected types[] = {
        {L"_Explorer", TKIND_DISPATCH, {L"SortListview", L"Terminate", L"RefreshFileLists", L"SetHeaderIcons"}},
        {L"__Explorer", TKIND_DISPATCH, {}},
        {L"Explorer", TKIND_COCLASS, {}},
    };
    for (const Expected& type : types) {
        ITypeInfo* info = nullptr;
        MEMBERID id = 0;
        USHORT found = 1;
        std::wstring name = type.name;
        ASSERT_EQ(library->FindName(name.data(), 0, &info, &id, &found), S_OK) << name;
        ASSERT_EQ(found, 1) << name;
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
        EXPECT_EQ(attributes->typekind, type.kind) << name;
        if (name == L"__Explorer") {
            EXPECT_EQ(attributes->cFuncs, 0) << "the event interface declares no events";
        }
        info->ReleaseTypeAttr(attributes);
        for (size_t index = 0; index < type.methods.size(); ++index) {
            std::wstring method = type.methods[index];
            LPOLESTR names[] = {method.data()};
            MEMBERID memberId = 0;
            ASSERT_EQ(info->GetIDsOfNames(names, 1, &memberId), S_OK) << method;
            EXPECT_EQ(memberId, static_cast<MEMBERID>(index + 1)) << method;
        }
        if (name == L"_Explorer") {
            std::wstring missing = L"Refresh";
            LPOLESTR names[] = {missing.data()};
            MEMBERID memberId = 0;
            EXPECT_NE(info->GetIDsOfNames(names, 1, &memberId), S_OK);
        }
        info->Release();
    }
    library->Release();
}

TEST(LibraryResources, ToolboxBitmapIsSixteenBySixteen) {
    HMODULE module = LoadLibraryExW(LibraryPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    auto bitmap = static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(101), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP shape{};
    GetObjectW(bitmap, sizeof shape, &shape);
    EXPECT_EQ(shape.bmWidth, 16);
    EXPECT_EQ(shape.bmHeight, 16);
    DeleteObject(bitmap);
    FreeLibrary(module);
}
