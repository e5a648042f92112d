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

inline bool IsPathSeparator(WCHAR c) { return c == WTXT('\\') || c == WTXT('/'); }
