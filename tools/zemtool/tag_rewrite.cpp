// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_rewrite.h"

#include "tools/zemtool/tag_edits.h"

namespace zemtool {

int RewriteTagArea(const TagArea& area, const TagRequest& request, std::vector<uint8_t>* bytes,
                   std::string& reason) {
    return RewriteTagAreaWith(
        area, request.id3v1, false,
        [&request](CTagBlock& tag, CTagBlock* id3v1, std::string& why) {
            return ApplyTagEdits(tag, id3v1, request.edits, why);
        },
        bytes, reason);
}

}  // namespace zemtool
