// SPDX-License-Identifier: BSD-3-Clause
// Changing the fields of a tag in memory, before it is written back.
#pragma once

#include "tools/zemtool/tag_request.h"

#include <string>
#include <vector>

class CTagBlock;

namespace zemtool {

// Applies one edit. Returns 0, or the library's error with `reason` filled.
int ApplyTagEdit(CTagBlock& tag, const TagEdit& edit, std::string& reason);

// Applies the edits in order to `tag` and, when the file ends in an ID3v1
// record behind its ZEM tag, to that record's fields (`id3v1`, else null) as
// well: a field is set in both, and deleting one needs it in either. Stops at
// the first failure.
int ApplyTagEdits(CTagBlock& tag, CTagBlock* id3v1, const std::vector<TagEdit>& edits, std::string& reason);

}  // namespace zemtool
