// SPDX-License-Identifier: BSD-3-Clause
// Where a stream's bytes end against where its header puts them: a file cut
// short is told apart from frames that fail their check (the library's own
// measure, zem_get_cut(), as its decoders apply it).
#pragma once

#include <zem/zem.h>

#include <cstdint>
#include <string>

namespace zemtool {

struct StreamCut {
    bool cut = false;
    int32_t frame = 0;  // the first frame the file does not hold whole
    zem_stream_cut extent = {};
};

StreamCut FindStreamCut(const zem_decoder* decoder);

// As the user sees it: "the file ends at byte N; the stream needs M" ("needs
// more than M" when the end of the last frame is unknown).
std::string DescribeCut(const StreamCut& cut);

// A note on a trailer the header announces but the file does not hold; empty
// when there is none.
std::string DescribeMissingTrailer(const StreamCut& cut);

}  // namespace zemtool
