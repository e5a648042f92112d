// SPDX-License-Identifier: BSD-3-Clause
// Conversions between the command line's UTF-8 and the library's UTF-16 names.
// Unlike the codec's own tag-text converters these handle characters outside
// the 16-bit range (surrogate pairs), since file names on disk may use them.
#pragma once

#include "platform/win32.h"

#include <string>

namespace zemtool {

// Malformed bytes become U+FFFD. A three-byte encoding of a lone surrogate is
// kept as that surrogate, so that any Windows name survives the round trip.
WString WideFromUtf8(const std::string& utf8);

// The length of the well-formed UTF-8 sequence at `pos` (1 to 4), or 0 for
// malformed bytes, a surrogate among them.
size_t WellFormedUtf8Length(const std::string& text, size_t pos);

// Pairs become four-byte sequences; a lone surrogate is written as three bytes.
std::string Utf8FromWide(const WCHAR* wide, size_t length);
std::string Utf8FromWide(const WString& wide);

}  // namespace zemtool
