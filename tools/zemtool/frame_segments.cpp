#include "tools/zemtool/frame_segments.h"

#include "container/codec_error.h"
#include "container/info_id.h"

#include <algorithm>

namespace zemtool {

std::vector<Segment> PlanSegments(int64_t rangeStart, int64_t length, int64_t blocksPerFrame) {
    std::vector<Segment> segments;
    int64_t finish = rangeStart + length;
    for (int64_t at = rangeStart; at < finish;) {
        int64_t frame = at / blocksPerFrame;
        int64_t end = std::min(finish, (frame + 1) * blocksPerFrame);
        segments.push_back({static_cast<int32_t>(frame), at - rangeStart, static_cast<int32_t>(end - at)});
        at = end;
    }
    return segments;
}

PoolSize SizePool(int threads, size_t segments, size_t largestSegmentBytes) {
    // Segments the budget holds, counting one per decoder and one per slot.
    const size_t affordable = std::max<size_t>(3, kPoolBudget / std::max<size_t>(largestSegmentBytes, 1));
    const size_t most = std::min(std::max<size_t>(segments, 1), (affordable - 1) / 2);
    PoolSize pool;
    pool.workers = std::clamp<size_t>(size_t(std::max(threads, 1)), 1, most);
    pool.slots = std::min(2 * pool.workers, affordable - pool.workers);
    return pool;
}

FailureStyle FailureStyleOf(CDecoder& decoder) {
    FailureStyle style;
    const int64_t version = decoder.GetInfo(Version);
    style.older = version < 3930;
    style.silence = decoder.GetInfo(BitsPerSample) == 8 && version >= 3831 ? 128 : 0;
    return style;
}

void DecodeSegment(CDecoder& decoder, const Segment& segment, int32_t blockAlign, const FailureStyle& style,
                   SegmentResult& result) {
    result.error = 0;
    result.failed = false;
    result.bytes.resize(size_t(segment.blocks) * size_t(blockAlign));
    int seek = decoder.Seek(static_cast<int>(segment.first));
    int got = 0;
    int code = seek;
    if (seek == CODEC_OK || seek == CODEC_BAD_CHECKSUM)
        code = decoder.GetData(result.bytes.data(), segment.blocks, &got);
    if (style.older && code == CODEC_FAILED) {
        std::fill(result.bytes.begin(), result.bytes.end(), style.silence);
        result.failed = true;
        return;
    }
    if (seek != CODEC_OK && seek != CODEC_BAD_CHECKSUM) {
        result.error = seek;
        return;
    }
    result.failed = code == CODEC_BAD_CHECKSUM;
    if ((code != CODEC_OK && code != CODEC_BAD_CHECKSUM) || got != segment.blocks)
        result.error = code != CODEC_OK && code != CODEC_BAD_CHECKSUM ? code : CODEC_READ_FAILED;
}

}  // namespace zemtool
