// SPDX-License-Identifier: BSD-3-Clause
// What zemtool needs to know about a file name before the library sees it.
#pragma once

#include <filesystem>
#include <string>

namespace zemtool {

// The text from the last '.' to the end, lower-cased (ASCII), as the library
// compares it; the whole name when there is no '.'.
std::string LowerExtension(const std::string& path);

// The name as the system takes it. On Windows the UTF-8 text as UTF-16, each
// '/' a backslash (the link reader finds a link's folder by the backslash, so
// a name handed on from here keeps working there too). Elsewhere the name's
// bytes unchanged, UTF-8 or not (an old collection's Latin-1 names).
std::filesystem::path SystemPath(const std::string& path);

// True when the library reads the file as a link file (by its content, the
// extension as a hint).
bool IsLinkPath(const std::string& path);

// True when the file (not a folder) can be opened for reading.
bool CanOpenFile(const std::string& path);

}  // namespace zemtool
