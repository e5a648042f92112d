// SPDX-License-Identifier: BSD-3-Clause
// Small window and text utilities of the control.
#pragma once

#include <windows.h>

#include <string>

namespace pathwick {

HWND GetTopLevelParent(HWND window);
std::wstring TrimNull(const std::wstring& text);
// String `id` of shell32.dll's string table; empty when the library or the string is missing.
std::wstring LoadShellString(UINT id);
std::wstring GetApiErrorText(DWORD code);
inline bool Succeeded(HRESULT status) { return status >= 0; }

}  // namespace pathwick
