// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/mWindowDefs.h"

namespace pathwick {

HWND GetTopLevelParent(HWND window) {
    HWND top = window;
    for (HWND parent = GetParent(top); parent; parent = GetParent(top)) top = parent;
    return top;
}

std::wstring TrimNull(const std::wstring& text) {
    size_t zero = text.find(L'\0');
    return zero == std::wstring::npos ? text : text.substr(0, zero);
}

std::wstring LoadShellString(UINT id) {
    HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!shell) return {};
    wchar_t buffer[260] = {};
    int length = LoadStringW(shell, id, buffer, 260);
    FreeLibrary(shell);
    return length > 0 ? TrimNull(std::wstring(buffer, static_cast<size_t>(length))) : std::wstring();
}

std::wstring GetApiErrorText(DWORD code) {
    wchar_t buffer[256] = {};
    // 4863: from the system, no inserts, no line breaks (width mask 255).
    DWORD length = FormatMessageW(4863, nullptr, code, 1024, buffer, 256, nullptr);
    return TrimNull(std::wstring(buffer, length < 256 ? length : 255));
}

}  // namespace pathwick
