// SPDX-License-Identifier: BSD-3-Clause
// Where a stream's bytes end against where its header puts them: a file cut
// short is told apart from frames that fail their check (the codec's own
// measure, container/stream_extent.h, as the decoders apply it).
#pragma once

#include "container/stream_extent.h"

#include <cstdint>
#include <string>

namespace zem {
class CDecoder;
}

namespace zemtool {

// Until these files read through <zem/zem.h>, they name the codec's classes.
using namespace zem;

struct StreamCut {
    bool cut = false;
    int32_t frame = 0;     // the first frame the file does not hold whole
    StreamExtent extent;
};

StreamCut FindStreamCut(CDecoder& decoder);

// As the user sees it: "the file ends at byte N; the stream needs M".
std::string DescribeCut(const StreamCut& cut);

// A note on a trailer the header announces but the file does not hold; empty
// when there is none.
std::string DescribeMissingTrailer(const StreamCut& cut);

}  // namespace zemtool
