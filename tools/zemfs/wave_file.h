// SPDX-License-Identifier: BSD-3-Clause
// The bytes of a WAV file made from a stream: its header chunks, the decoded
// audio and its trailing bytes, read at any offset without decoding more than
// the frames that hold the range asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zemfs {

// Where the frames lie, in the decoder's blocks: the first frame ends at
// `firstEnd` (a track may begin inside its image's frame), the others hold
// `perFrame` blocks each, and the last one, from `lastFirst`, runs to the end.
struct FrameGrid {
    uint64_t firstEnd = 0;
    uint64_t perFrame = 0;
    uint64_t lastFirst = 0;
};

// The frame that holds `block` (< blocks): its first block and the block behind its last.
struct FrameSpan {
    uint64_t first = 0;
    uint64_t end = 0;
};
FrameSpan FrameOf(const FrameGrid& grid, uint64_t blocks, uint64_t block);

// The header or the trailer of the WAV file. Small parts are held, shared by
// every file made from one version of a stream (never copied per open file);
// a large one stays in the stream file and is read from there when asked.
struct WavePart {
    std::shared_ptr<const std::vector<uint8_t>> held;
    std::string file;     // without `held`: the stream file that holds the part
    uint64_t offset = 0;  // where in it
    uint64_t size = 0;

    static WavePart Held(std::shared_ptr<const std::vector<uint8_t>> bytes);
    // The bytes held in memory for this part (0 for one read from its file).
    uint64_t HeldBytes() const { return held ? held->size() : 0; }
};

struct WaveLayout {
    WavePart header;
    WavePart trailer;
    uint64_t blocks = 0;
    uint32_t blockAlign = 0;
    FrameGrid grid;

    uint64_t AudioBytes() const { return blocks * blockAlign; }
    // Known from the stream's header and seek table alone.
    uint64_t Size() const { return header.size + AudioBytes() + trailer.size; }
};

// One decoded frame: the blocks from `first` up to `end`, block_align bytes each.
struct DecodedFrame {
    uint64_t first = 0;
    uint64_t end = 0;
    std::shared_ptr<const std::vector<uint8_t>> bytes;
};

// Hands out the frame that holds `block`; returns 0 or a negative errno.
using FrameFetch = std::function<int(uint64_t block, DecodedFrame* frame)>;

// Copies up to `length` bytes of the file from `offset` into `out`. Returns
// the count (short only at the end of the file, 0 beyond it), or the fetch's
// negative errno when a frame in the range cannot be had (-EIO when a part
// kept in the stream file cannot be read whole).
long ReadWave(const WaveLayout& layout, uint64_t offset, size_t length, uint8_t* out, const FrameFetch& fetch);

}  // namespace zemfs
