// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/stream_cut.h"

namespace zemtool {

StreamCut FindStreamCut(const zem_decoder* decoder) {
    StreamCut cut;
    if (zem_get_cut(decoder, &cut.extent) != ZEM_OK)
        return cut;
    cut.cut = cut.extent.cut_frame >= 0;
    cut.frame = static_cast<int32_t>(cut.extent.cut_frame);
    return cut;
}

std::string DescribeCut(const StreamCut& cut) {
    const zem_stream_cut& extent = cut.extent;
    return "the file ends at byte " + std::to_string(extent.file_end) + "; the stream needs " +
        (extent.needed_exact ? "" : "more than ") +
        std::to_string(extent.needed_exact ? extent.needed_bytes : extent.needed_bytes - 1);
}

std::string DescribeMissingTrailer(const StreamCut& cut) {
    if (!cut.extent.trailer_missing)
        return std::string();
    return "the header announces " + std::to_string(cut.extent.announced_trailer) +
        " trailing bytes that the file does not hold";
}

}  // namespace zemtool
