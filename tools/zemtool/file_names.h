// SPDX-License-Identifier: BSD-3-Clause
// What zemtool needs to know about a file name before the library sees it.
#pragma once

#include "platform/win32.h"

#include <string>

namespace zemtool {

// The text from the last '.' to the end, lower-cased (ASCII), as the decoder
// factory compares it; the whole name when there is no '.'.
std::string LowerExtension(const std::string& path);

// The name as the library is given it. On Windows each '/' becomes a backslash:
// the system takes both, but the link file reader finds a link's folder by the
// backslash alone, so "samples/a.zlk" would not find the image beside it.
// Elsewhere the name's bytes pass through unchanged, UTF-8 or not.
WString LibraryPath(const std::string& path);

// The other way: a name the library gives (a link file's image) as a name for
// the system. The library takes a backslash as a separator on every system.
std::string SystemPath(const WCHAR* libraryPath);

// True when the library reads the file as a link file (by its content, the
// extension as a hint: decode/decoder_factory.h).
bool IsLinkPath(const std::string& path);

// True when the file can be opened for reading through the library's file class.
bool CanOpenFile(const std::string& path);

// True when the file can be opened for writing through the library's file
// class: not read-only, and no handle of this process keeps others from
// writing. (On Linux, share modes are kept per copy of the file class, and
// libzem.so has a copy of its own: only this one sees the handles that code
// running zemtool in-process holds.)
bool CanWriteFile(const std::string& path);

}  // namespace zemtool
