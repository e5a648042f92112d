// SPDX-License-Identifier: BSD-3-Clause
// The one header through which portable code reaches the Win32 calls it uses.
// On Windows it is <windows.h>; on Linux it is our own small stand-in layer that
// gives the same calls the same results for the few operations we need.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Wide string literal in the platform's 16-bit wide character type.
#define WTXT(s) L##s
#else
#include "platform/linux/win32_linux.h"
#define WTXT(s) u##s
#endif

#include <string>

// Wide text is UTF-16 on both targets: wchar_t on Windows, char16_t on Linux.
using WString = std::basic_string<WCHAR>;
static_assert(sizeof(WCHAR) == 2, "wide text must be UTF-16 on every target");
