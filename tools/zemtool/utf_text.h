// SPDX-License-Identifier: BSD-3-Clause
// Conversions between the command line's UTF-8 and the system's UTF-16 names.
// They handle characters outside the 16-bit range (surrogate pairs), since
// file names on disk may use them.
#pragma once

#include <string>

namespace zemtool {

// UTF-16 as the system's wide calls take it: wchar_t on Windows (wmain's
// arguments, FormatMessageW), char16_t elsewhere.
#ifdef _WIN32
using WideChar = wchar_t;
#else
using WideChar = char16_t;
#endif
using WideText = std::basic_string<WideChar>;

// Malformed bytes become U+FFFD. A three-byte encoding of a lone surrogate is
// kept as that surrogate, so that any Windows name survives the round trip.
WideText WideFromUtf8(const std::string& utf8);

// The length of the well-formed UTF-8 sequence at `pos` (1 to 4), or 0 for
// malformed bytes, a surrogate among them.
size_t WellFormedUtf8Length(const std::string& text, size_t pos);

// Pairs become four-byte sequences; a lone surrogate is written as three bytes.
std::string Utf8FromWide(const WideChar* wide, size_t length);
std::string Utf8FromWide(const WideText& wide);

}  // namespace zemtool
