// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/frame_segments.h"

#include "tools/zemtool/library_errors.h"
#include "tools/zemtool/tool_errors.h"

#include <algorithm>

namespace zemtool {

SegmentPlan::SegmentPlan(int64_t rangeStart, int64_t length, int64_t blocksPerFrame)
    : m_start(rangeStart), m_finish(rangeStart + std::max<int64_t>(length, 0)),
      m_blocksPerFrame(std::max<int64_t>(blocksPerFrame, 1)), m_firstFrame(rangeStart / m_blocksPerFrame) {
    if (m_finish > m_start)
        m_count = static_cast<size_t>((m_finish - 1) / m_blocksPerFrame - m_firstFrame + 1);
}

Segment SegmentPlan::At(size_t index) const {
    const int64_t frame = m_firstFrame + static_cast<int64_t>(index);
    const int64_t first = std::max(m_start, frame * m_blocksPerFrame);
    const int64_t end = std::min(m_finish, (frame + 1) * m_blocksPerFrame);
    return {static_cast<int32_t>(frame), first - m_start, static_cast<int32_t>(end - first)};
}

size_t SegmentPlan::LargestBytes(int32_t blockAlign) const {
    const int64_t blocks = std::min(m_finish - m_start, m_blocksPerFrame);
    return size_t(std::max<int64_t>(blocks, 0)) * size_t(std::max(blockAlign, 1));
}

PoolSize SizePool(int threads, size_t segments, size_t largestSegmentBytes, size_t decoderBytes) {
    // Segments the budget holds, counting one per decoder and one per slot.
    const size_t affordable = std::max<size_t>(3, kPoolBudget / std::max<size_t>(largestSegmentBytes, 1));
    size_t most = std::min(std::max<size_t>(segments, 1), (affordable - 1) / 2);
    // Each worker's decoder has its own copy of the seek table.
    if (decoderBytes > 0)
        most = std::min(most, std::max<size_t>(1, kPoolBudget / decoderBytes));
    PoolSize pool;
    pool.workers = std::clamp<size_t>(size_t(std::max(threads, 1)), 1, most);
    pool.slots = std::min(2 * pool.workers, affordable - pool.workers);
    return pool;
}

void DecodeSegment(zem_decoder* decoder, const Segment& segment, int32_t blockAlign, uint8_t fill,
                   SegmentResult& result) {
    result.error = 0;
    result.failed = false;
    result.bytes.resize(size_t(segment.blocks) * size_t(blockAlign));
    const int seek = zem_seek(decoder, static_cast<uint64_t>(segment.first));
    if (seek != ZEM_OK) {
        result.error = ReadErrorOf(seek);
        return;
    }
    int64_t done = 0;
    while (done < segment.blocks) {
        const long got = zem_read(decoder, result.bytes.data() + size_t(done) * size_t(blockAlign),
                                  static_cast<long>(segment.blocks - done));
        if (got > 0) {
            done += got;
        } else if (got == ZEM_ERROR_BAD_FRAME || got == ZEM_ERROR_TRUNCATED) {
            std::fill(result.bytes.begin(), result.bytes.end(), fill);
            result.failed = true;
            return;
        } else {
            result.error = got == 0 ? CODEC_READ_FAILED : ReadErrorOf(static_cast<int>(got));
            return;
        }
    }
}

}  // namespace zemtool
