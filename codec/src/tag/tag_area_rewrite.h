// SPDX-License-Identifier: BSD-3-Clause
// Rewriting the tag area of a file (see tag_area.h): the new bytes are built
// in memory from the old ones, then written in place of them; a failed write
// puts the old bytes back. `zemtool tag` and zem_tag_save() both go this way.
#pragma once

#include "io/stream_io.h"
#include "tag/tag_area.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zem {

class CTagBlock;

// Changes the fields of the ZEM tag (`tag`) and, when the area keeps an ID3v1
// record beside it, of that record (`id3v1`, else null). Returns 0, or the
// library's error with `reason` filled.
using TagAreaEdit = std::function<int(CTagBlock& tag, CTagBlock* id3v1, std::string& reason)>;

// The area after `edit`. A ZEM tag followed by an ID3v1 record stays so, both
// edited; the record keeps its bytes when the edits leave its fields as they
// were. With `keepId3v1`, a record alone is kept the same way, behind a new
// ZEM tag made from its fields. Otherwise one tag alone is saved as the
// library saves it: as a ZEM tag, or as an ID3v1 record with `useId3v1`.
// Returns 0, or the library's error with `reason` filled.
int RewriteTagAreaWith(const TagArea& area, bool useId3v1, bool keepId3v1, const TagAreaEdit& edit,
                       std::vector<uint8_t>* bytes, std::string& reason);

enum class ReplaceResult {
    Done,
    Restored,  // the write failed; the file is as it was
    Lost,      // the write failed and so did putting the old bytes back
};

// Puts `bytes` in place of everything from `start` to the end of `file`,
// which holds `old` there now. Leaves the file's position as it was.
ReplaceResult ReplaceTagArea(CStreamIo& file, int64_t start, const std::vector<uint8_t>& old,
                             const std::vector<uint8_t>& bytes);

}  // namespace zem
