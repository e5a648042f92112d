// SPDX-License-Identifier: BSD-3-Clause
// The tags at the end of a file as a rewrite (`zemtool tag`, zem_tag_save) takes them: at most one
// ZEM tag, then at most one ID3v1 record. The library strips any stack of tags
// and takes a footer's word for how far back its tag reaches; a rewrite must
// not, so this reading is strict: every byte of the area belongs to a tag that
// reads back whole, and no tag reaches into the audio in front of it.
#pragma once

#include "io/stream_io.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zem {

struct TagArea {
    int64_t start = 0;            // first byte of the tags; the file's size when it has none
    std::vector<uint8_t> zemTag;  // the ZEM tag as stored, header included; empty when none
    std::vector<uint8_t> id3v1;   // the 128-byte record; empty when none

    // The area's bytes as they are in the file.
    std::vector<uint8_t> Bytes() const;
};

// Reads the tags at the end of `file`, none of which may begin before
// `audioEnd` (where a stream's audio ends; 0 for other files). Returns an empty
// text, or why the tags cannot be rewritten without losing something. Leaves
// the file's position as it was.
std::string ReadTagArea(CStreamIo& file, int64_t audioEnd, TagArea* area);

}  // namespace zem
