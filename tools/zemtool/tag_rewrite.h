// Rewriting the tag area of a file: the new bytes are built in memory from
// the old ones, then written in place of them; a failed write puts the old
// bytes back.
#pragma once

#include "io/stream_io.h"
#include "tools/zemtool/tag_area.h"
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

enum class ReplaceResult {
    Done,
    Restored,  // the write failed; the file is as it was
    Lost,      // the write failed and so did putting the old bytes back
};

// Puts `bytes` in place of everything from `start` to the end of `file`,
// which holds `old` there now. Leaves the file's position as it was.
ReplaceResult ReplaceTagArea(CStreamIo& file, int64_t start, const std::vector<uint8_t>& old,
                             const std::vector<uint8_t>& bytes);

}  // namespace zemtool
