// SPDX-License-Identifier: BSD-3-Clause
// `zemtool tag FILE` without options: one NAME=VALUE line per field.
#pragma once

#include "io/stream_io.h"

#include <ostream>
#include <string>

class CTagBlock;
class CTagItem;

namespace zemtool {

// True when the tag's text values are in the ANSI code page (a ZEM tag older
// than version 2000) rather than UTF-8.
bool HasAnsiText(CTagBlock& tag);

// The value as printed: text as UTF-8 with control characters escaped (\n,
// \r, \t, \xHH), or "[hex] " and the bytes in hexadecimal for a binary value.
std::string FormatFieldValue(CTagBlock& tag, const CTagItem& item, bool ansiText);

void PrintTagFields(CTagBlock& tag, std::ostream& out);

// The fields of the file's tag as the library reads them. A file that ends in
// a ZEM tag followed by an ID3v1 record lists the ZEM tag's fields, then a
// line "[ID3v1]" and the record's fields.
void ListTags(CStreamIo& file, std::ostream& out);

}  // namespace zemtool
