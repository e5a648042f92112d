// SPDX-License-Identifier: BSD-3-Clause
// The text of a cue sheet as the library reads it: from a sheet file, or from
// the tag of an image that carries its sheet.
#pragma once

#include <string>

namespace zemtool {

// The sheet file's text as UTF-8; empty when it cannot be read.
std::string SheetFileText(const std::string& path);

// The sheet an image carries in its tag field "Cuesheet"; empty when it has
// none, holds it as binary data or holds more than any sheet.
std::string SheetInTag(const std::string& image);

}  // namespace zemtool
