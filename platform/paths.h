// Path separators. Win32 names folders with backslashes; on Linux the stand-in
// layer also accepts them, and the native '/' counts as a separator as well so
// that relative names in link files resolve the same way on both targets.
#pragma once

#include "platform/win32.h"

inline bool IsPathSeparator(WCHAR c) {
#ifdef _WIN32
    return c == WTXT('\\');
#else
    return c == WTXT('\\') || c == WTXT('/');
#endif
}
