// SPDX-License-Identifier: BSD-3-Clause
// A cue sheet kept in the tag of the image it describes, as taggers of other
// formats do it: the text field "Cuesheet", UTF-8.
#pragma once

#include "platform/win32.h"

#include <string>

namespace zem {

// The tag field's name.
extern const WCHAR kCueSheetField[];

// The sheet in the tag at the end of the image at `imagePath`; empty when the
// file has none, cannot be read, holds it as binary or holds more than any
// cue sheet (kMaxCueSheetBytes).
WString ReadEmbeddedCueSheet(const WCHAR* imagePath);

// The field's value for a sheet's text, and back. Every character survives
// the round trip, so links built from the stored sheet match those built
// from the sheet's file.
std::string CueSheetToUtf8(const WString& text);
WString CueSheetFromUtf8(const std::string& utf8);

}  // namespace zem
