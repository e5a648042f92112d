// Changing the fields of a tag in memory, before it is written back.
#pragma once

#include "tools/zemtool/tag_request.h"

#include <string>

class CTagBlock;

namespace zemtool {

// A ZEM tag older than version 2000 holds its text in the ANSI code page, but
// every tag is written back as version 2000, whose text is UTF-8. Converting
// the text values first keeps them readable after the save.
void ConvertAnsiTextToUtf8(CTagBlock& tag);

// Applies one edit. Returns 0, or the library's error with `reason` filled.
int ApplyTagEdit(CTagBlock& tag, const TagEdit& edit, std::string& reason);

}  // namespace zemtool
