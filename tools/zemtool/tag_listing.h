// SPDX-License-Identifier: BSD-3-Clause
// `zemtool tag FILE` without options: one NAME=VALUE line per field.
#pragma once

#include <zem/zem.h>

#include <ostream>
#include <string>

namespace zemtool {

// The value of the item `name` as printed: text as UTF-8 with control
// characters escaped (\n, \r, \t, \xHH), or "[hex] " and the bytes in
// hexadecimal for a binary value.
std::string FormatFieldValue(const zem_tag* tag, const char* name);

void PrintTagFields(const zem_tag* tag, std::ostream& out);

// The fields of the file's tag as the library reads them. A file that ends in
// a ZEM tag followed by an ID3v1 record lists the ZEM tag's fields, then a
// line "[ID3v1]" and the record's fields. Returns ZEM_OK, or the library's
// error when the tags could not be read (nothing is printed then).
int ListTags(const std::string& path, std::ostream& out);

}  // namespace zemtool
