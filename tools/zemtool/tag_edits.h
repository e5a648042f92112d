// Changing the fields of a tag in memory, before it is written back.
#pragma once

#include "tools/zemtool/tag_request.h"

#include <string>

class CTagBlock;

namespace zemtool {

// Applies one edit. Returns 0, or the library's error with `reason` filled.
int ApplyTagEdit(CTagBlock& tag, const TagEdit& edit, std::string& reason);

}  // namespace zemtool
