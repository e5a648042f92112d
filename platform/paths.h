// SPDX-License-Identifier: BSD-3-Clause
// Path separators. Win32 takes both the backslash and '/' between folders, and
// so do the stand-in layer on Linux and the native calls there; relative names
// in link files and cue sheets resolve the same way on both targets.
#pragma once

#include "platform/win32.h"

// The longest path the file layer takes, in UTF-16 units with the terminator:
// Windows' own limit there, and on Linux the system's (PATH_MAX), which knows
// no 260-character limit.
#ifdef _WIN32
constexpr size_t kMaxPathChars = MAX_PATH;
#else
constexpr size_t kMaxPathChars = 4096;
#endif

static constexpr bool IsPathSeparator(WCHAR c) { return c == WTXT('\\') || c == WTXT('/'); }

// On POSIX a file name is bytes, UTF-8 or not. A byte that is not part of
// well-formed UTF-8 travels through the library's UTF-16 names as the lone
// low surrogate kRawByteEscape + byte (U+DC80 to U+DCFF), which no UTF-8 name
// can produce, and the stand-in layer writes it back as that byte.
constexpr WCHAR kRawByteEscape = 0xDC00;
static constexpr bool IsRawByteEscape(WCHAR c) { return c >= kRawByteEscape + 0x80 && c <= kRawByteEscape + 0xFF; }
