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

}  // namespace com
