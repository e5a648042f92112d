// The library's module handle and its count of live objects and locks.
#pragma once

#include <windows.h>

namespace zemsource {

HINSTANCE ModuleHandle();
void LockModule();
void UnlockModule();
bool ModuleInUse();

}  // namespace zemsource
