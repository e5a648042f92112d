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

// The value as printed: text as UTF-8 with control characters escaped (\n,
// \r, \t, \xHH), or "[hex] " and the bytes in hexadecimal for a binary value.
std::string FormatFieldValue(CTagBlock& tag, const CTagItem& item, bool ansiText);

void PrintTagFields(CTagBlock& tag, std::ostream& out);

}  // namespace zemtool
