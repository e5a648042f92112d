// SPDX-License-Identifier: BSD-3-Clause
// Streams whose coded blocks end at chosen places relative to the range
// decoder's buffer refills, and a walk over such a stream that tells where
// each refill and each block end fall in the file.
#pragma once

#include "tests/support/test_files.h"

#include <cstdint>
#include <vector>

namespace refill_streams {

using testing_support::Bytes;

struct BuiltStream {
    Bytes file;
    Bytes pcm;                 // what the stream decodes to
    uint32_t firstFrame = 0;   // file offset of the first frame
};

// A stream for the frame decoder (3930 and later), level 1000, 16-bit, made
// of its own frames: `samples` (interleaved) in frames of the header's
// blocks per frame, `blocksPerFrame` for current headers (3980 and later).
// Stereo only from 3950 (the frames are coded in that version's order).
// `trailingBytes` of terminating data follow the frames.
BuiltStream FrameDecoderStream(uint16_t version, uint16_t channels, uint32_t blocksPerFrame,
                               const std::vector<int32_t>& samples, size_t trailingBytes = 20000);

// The range decoder's view of a stream: where, as file offsets, each block
// of coded values ends (where the next read begins) and each read that
// refilled the buffer started; and for each block, its end less the start
// of the last refill before its end was reached (which may lie behind the
// end: the end steps back over bytes read before the refill).
struct Walk {
    std::vector<int64_t> blockEnds;
    std::vector<int64_t> refills;
    std::vector<int64_t> sinceRefill;
};

// Coded blocks of the frame decoder: per frame a check word (and flags),
// then `blocks` blocks of `channels` interleaved values.
Walk WalkFrames(const Bytes& file, uint32_t firstFrame, int32_t version, int channels,
                const std::vector<int32_t>& frameBlocks);
// Coded blocks of the older path with CRC checks: per frame a check word,
// then one block per channel.
Walk WalkOlderFrame(const Bytes& file, uint32_t firstFrame, int32_t version, int channels, int32_t blocks);

}  // namespace refill_streams
