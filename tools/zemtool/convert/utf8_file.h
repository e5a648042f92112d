// SPDX-License-Identifier: BSD-3-Clause
// A C stream on a file named in UTF-8, as zemtool's paths are. On Windows
// fopen reads names in the ANSI code page, which cannot spell most of them;
// its wide twin takes them all.
#pragma once

#include <cstdio>
#include <string>

namespace zemtool {

// `mode` as fopen takes it ("rb", "wb"); nullptr when the file cannot be opened.
std::FILE* OpenUtf8File(const std::string& path, const char* mode);

}  // namespace zemtool
