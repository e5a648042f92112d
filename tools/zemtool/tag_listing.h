// `zemtool tag FILE` without options: one NAME=VALUE line per field.
#pragma once

#include <ostream>
#include <string>

class CTagBlock;
class CTagItem;

namespace zemtool {

// True when the tag's text values are in the ANSI code page (a ZEM tag older
// than version 2000) rather than UTF-8.
bool HasAnsiText(CTagBlock& tag);

// A field's value as UTF-8 text, converted from the ANSI code page when
// `ansiText` is set. Binary values are not text; see FormatFieldValue.
std::string FieldTextUtf8(const CTagItem& item, bool ansiText);

// The value as printed: text with control characters escaped (\n, \r, \t,
// \xHH), or "[hex] " and the bytes in hexadecimal for a binary value.
std::string FormatFieldValue(const CTagItem& item, bool ansiText);

void PrintTagFields(CTagBlock& tag, std::ostream& out);

}  // namespace zemtool
