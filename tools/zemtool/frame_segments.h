// SPDX-License-Identifier: BSD-3-Clause
// The pieces a decoder's range splits into for decoding on several threads:
// the part of each frame inside the range, decoded on its own after a seek.
#pragma once

#include <zem/zem.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zemtool {

// The part of one frame inside the range, in blocks counted from the range's start.
struct Segment {
    int32_t frame;
    int64_t first;
    int32_t blocks;
};

// The segments of a range, one per frame it touches, worked out when asked
// for: a stream of tiny frames has millions of them, and a list would take
// memory in proportion.
class SegmentPlan {
public:
    SegmentPlan() = default;
    SegmentPlan(int64_t rangeStart, int64_t length, int64_t blocksPerFrame);
    size_t Count() const { return m_count; }
    // Segment `index`, below Count().
    Segment At(size_t index) const;
    // Bytes of the longest segment at `blockAlign` bytes a block.
    size_t LargestBytes(int32_t blockAlign) const;

private:
    int64_t m_start = 0, m_finish = 0, m_blocksPerFrame = 1, m_firstFrame = 0;
    size_t m_count = 0;
};

// How many workers decode a range at once and how many decoded segments may
// wait for the writer (the segment a worker decodes into included).
struct PoolSize {
    size_t workers = 1;
    size_t slots = 1;
};

// Up to `threads` workers (never more than there are segments) with two
// slots each, as far as kPoolBudget allows: a worker's decoder holds about a
// segment of its own besides its slots, so a high thread count on long
// frames gets fewer workers and at least one slot more than workers.
// A decoder's own memory (`decoderBytes`: its seek table, 4 bytes a frame)
// counts too: a stream of tiny frames, whose table is large, is decoded by
// fewer workers, or by one.
constexpr size_t kPoolBudget = size_t(24) << 20;
PoolSize SizePool(int threads, size_t segments, size_t largestSegmentBytes, size_t decoderBytes = 0);

struct SegmentResult {
    std::vector<uint8_t> bytes;
    int error = 0;        // CodecError that makes the segment unreadable
    bool failed = false;  // the frame failed its check; bytes hold its fill
};

// Decodes `segment` into `result`, reusing its buffer. A frame that fails its
// check, or that a cut file does not hold, becomes `fill` bytes of its length
// (zem_stream_facts' fill_byte), as the stream's own decoder fills it.
void DecodeSegment(zem_decoder* decoder, const Segment& segment, int32_t blockAlign, uint8_t fill,
                   SegmentResult& result);

}  // namespace zemtool
