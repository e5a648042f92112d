// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/stream_cut.h"

#include "container/info_id.h"
#include "decode/decoder.h"

using namespace zem;

namespace zemtool {

StreamCut FindStreamCut(CDecoder& decoder) {
    StreamCut cut;
    const auto* extent =
        reinterpret_cast<const StreamExtent*>(static_cast<intptr_t>(decoder.GetInfo(StreamExtentRecord)));
    if (!extent)
        return cut;
    cut.extent = *extent;
    cut.cut = extent->Cut();
    cut.frame = extent->cutFrame;
    return cut;
}

std::string DescribeCut(const StreamCut& cut) { return DescribeStreamCut(cut.extent); }

std::string DescribeMissingTrailer(const StreamCut& cut) {
    if (!cut.extent.trailerMissing)
        return std::string();
    return "the header announces " + std::to_string(cut.extent.announcedTrailer) +
           " trailing bytes that the file does not hold";
}

}  // namespace zemtool
