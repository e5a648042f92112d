// SPDX-License-Identifier: BSD-3-Clause
// Changing the fields of a tag in memory, before it is written back.
#pragma once

#include "tools/zemtool/tag_request.h"

#include <zem/zem.h>

#include <string>
#include <vector>

namespace zemtool {

// The library's one line on the last failure of a call on `tag`.
std::string TagErrorDetail(const zem_tag* tag);

// Applies the edits in order to `tag`. When the file ends in an ID3v1 record
// behind its ZEM tag the library edits that record's fields as well: a field
// is set in both, and deleting one needs it in either. Stops at the first
// failure. Returns 0, or CODEC_FAILED with `reason` filled.
int ApplyTagEdits(zem_tag* tag, const std::vector<TagEdit>& edits, std::string& reason);

}  // namespace zemtool
