// SPDX-License-Identifier: BSD-3-Clause
// File names between UTF-8 (the C API's, the command line's) and the
// library's UTF-16. On Windows a name must be UTF-8; elsewhere it is the bytes
// the system takes, and bytes that are not UTF-8 pass through unchanged (see
// kRawByteEscape in platform/paths.h).
#pragma once

#include "platform/win32.h"

#include <string>

namespace zem {

// False, with `wide` emptied, only on Windows for text that is not UTF-8.
bool WidePathFromUtf8(const char* text, WString* wide);

// The name back as the system's bytes (on Windows UTF-8, a lone surrogate as
// its three bytes).
std::string Utf8PathFromWide(const WString& wide);

}  // namespace zem
