// SPDX-License-Identifier: BSD-3-Clause
// Conversions between the three encodings the codec library keeps text in:
// wide (UTF-16) text, UTF-8 (tag values, image paths of link files) and the
// system ANSI code page (ID3v1 records, old tag values, link file headers).
// Each takes NUL-terminated input and never reports an error; a result ends
// at its first NUL.
#pragma once

#include "platform/win32.h"

#include <string>

namespace zem {

// nullptr gives an empty result.
std::string WideToAnsi(const WCHAR* text);
WString AnsiToWide(const char* text);

// Our own UTF-8 coder: 1 to 3 bytes per UTF-16 unit, surrogates encoded unit by
// unit; a lead byte from 0xE0 up always starts a 3-byte sequence and
// continuation bytes are taken as they come. nullptr gives an empty result.
WString Utf8ToWide(const char* text);
std::string WideToUtf8(const WCHAR* text);

std::string Utf8ToAnsi(const char* text);
std::string AnsiToUtf8(const char* text);

// True when `text` is well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF, no cut-short sequence. nullptr counts as empty text.
bool IsValidUtf8(const char* text);

// Bytes of the well-formed UTF-8 sequence at `text` (1 to 4, a NUL counting as
// one), or 0 when it is ill-formed by the rules above or cut short by the
// terminator.
size_t WellFormedUtf8Length(const char* text);

}  // namespace zem
