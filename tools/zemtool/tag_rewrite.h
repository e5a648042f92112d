// SPDX-License-Identifier: BSD-3-Clause
// The tag area of a file after the edits of `zemtool tag`; written back with
// ReplaceTagArea (tag/tag_area_rewrite.h).
#pragma once

#include "tag/tag_area.h"
#include "tag/tag_area_rewrite.h"
#include "tools/zemtool/tag_request.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zemtool {

// The area after the request's edits. A ZEM tag followed by an ID3v1 record
// stays so, both edited; the record keeps its bytes when the edits leave its
// fields as they were. One tag alone is saved as the library saves it: as a
// ZEM tag, or as an ID3v1 record with --id3v1. Returns 0, or the library's
// error with `reason` filled.
int RewriteTagArea(const TagArea& area, const TagRequest& request, std::vector<uint8_t>* bytes,
                   std::string& reason);

}  // namespace zemtool
