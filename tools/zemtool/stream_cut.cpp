#include "tools/zemtool/stream_cut.h"

#include "container/info_id.h"
#include "decode/decoder.h"

#include <algorithm>

namespace zemtool {

StreamCut FindStreamCut(CDecoder& decoder) {
    StreamCut cut;
    const int64_t frames = decoder.GetInfo(TotalFrames);
    if (frames <= 0)
        return cut;
    const int64_t last = frames - 1;
    const int64_t lastStart = decoder.GetInfo(SeekByte, last);
    cut.fileEnd = lastStart + decoder.GetInfo(FrameBytes, last);
    int64_t start = decoder.GetInfo(SeekByte, 0);
    for (int64_t frame = 0; frame < frames; ++frame) {
        const int64_t next = frame < last ? decoder.GetInfo(SeekByte, frame + 1) : cut.fileEnd;
        if (next > cut.fileEnd || (frame == last && next <= start)) {
            cut.cut = true;
            cut.frame = static_cast<int32_t>(frame);
            cut.present = std::max<int64_t>(cut.fileEnd - start, 0);
            cut.expected = frame < last ? next - start : 0;
            return cut;
        }
        start = next;
    }
    return cut;
}

std::string DescribeCut(const StreamCut& cut) {
    const std::string end = std::to_string(cut.fileEnd);
    if (cut.present == 0 && cut.frame == 0)
        return "the file holds no audio: it ends at byte " + end + ", before frame 0";
    if (cut.present == 0)
        return "the stream ends before frame " + std::to_string(cut.frame) + ", at byte " + end + " of the file";
    return "the stream ends inside frame " + std::to_string(cut.frame) + ", at byte " + std::to_string(cut.present) +
           " of " + std::to_string(cut.expected);
}

}  // namespace zemtool
