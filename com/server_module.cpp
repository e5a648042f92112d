// SPDX-License-Identifier: BSD-3-Clause
#include "com/server_module.h"

namespace com {
namespace {

HINSTANCE gModule = nullptr;
LONG gLocks = 0;

}  // namespace

void SetModuleHandle(HINSTANCE instance) { gModule = instance; }
HINSTANCE ModuleHandle() { return gModule; }

std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(gModule, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? path : L"";
}

void LockModule() { InterlockedIncrement(&gLocks); }
void UnlockModule() { InterlockedDecrement(&gLocks); }
bool ModuleInUse() { return gLocks != 0; }

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

bool SetClassesValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

}  // namespace com
