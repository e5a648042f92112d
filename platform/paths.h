// Path separators. Win32 takes both the backslash and '/' between folders, and
// so do the stand-in layer on Linux and the native calls there; relative names
// in link files and cue sheets resolve the same way on both targets.
#pragma once

#include "platform/win32.h"

inline bool IsPathSeparator(WCHAR c) { return c == WTXT('\\') || c == WTXT('/'); }
