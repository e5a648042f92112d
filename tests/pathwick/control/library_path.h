// SPDX-License-Identifier: BSD-3-Clause
// Where the control tests find Pathwick.dll: beside the test program.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring BesideTheProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

inline std::wstring LibraryPath() { return BesideTheProgram(L"Pathwick.dll"); }
