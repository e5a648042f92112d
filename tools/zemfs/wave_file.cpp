// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/wave_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace zemfs {
namespace {

// Copies the part of `bytes` (which starts at file offset `start`) that lies
// in [offset, offset + length) to `out`, which stands for file offset `offset`.
void CopyPart(const std::vector<uint8_t>& bytes, uint64_t start, uint64_t offset, size_t length, uint8_t* out) {
    const uint64_t from = std::max(start, offset);
    const uint64_t to = std::min<uint64_t>(start + bytes.size(), offset + length);
    if (from < to)
        std::memcpy(out + (from - offset), bytes.data() + (from - start), static_cast<size_t>(to - from));
}

// As CopyPart for a header or trailer that starts at file offset `start`;
// false when a part kept in its stream file cannot be read whole.
bool CopyWavePart(const WavePart& part, uint64_t start, uint64_t offset, size_t length, uint8_t* out) {
    if (part.held) {
        CopyPart(*part.held, start, offset, length, out);
        return true;
    }
    const uint64_t from = std::max(start, offset);
    const uint64_t to = std::min<uint64_t>(start + part.size, offset + length);
    if (from >= to)
        return true;
    const int fd = open(part.file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    uint64_t done = 0;
    while (from + done < to) {
        const ssize_t got = pread(fd, out + (from - offset) + done, static_cast<size_t>(to - from - done),
                                  static_cast<off_t>(part.offset + (from - start) + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<uint64_t>(got);
    }
    close(fd);
    return from + done == to;
}

}  // namespace

WavePart WavePart::Held(std::shared_ptr<const std::vector<uint8_t>> bytes) {
    WavePart part;
    part.size = bytes ? bytes->size() : 0;
    part.held = std::move(bytes);
    return part;
}

FrameSpan FrameOf(const FrameGrid& grid, uint64_t blocks, uint64_t block) {
    if (block >= grid.lastFirst)
        return {grid.lastFirst, blocks};
    if (block < grid.firstEnd || grid.perFrame == 0)
        return {0, grid.firstEnd};
    const uint64_t first = grid.firstEnd + (block - grid.firstEnd) / grid.perFrame * grid.perFrame;
    return {first, std::min(first + grid.perFrame, grid.lastFirst)};
}

long ReadWave(const WaveLayout& layout, uint64_t offset, size_t length, uint8_t* out, const FrameFetch& fetch) {
    const uint64_t size = layout.Size();
    if (offset >= size)
        return 0;
    length = static_cast<size_t>(std::min<uint64_t>({length, size - offset, LONG_MAX}));
    const uint64_t audioStart = layout.header.size;
    const uint64_t audioEnd = audioStart + layout.AudioBytes();
    if (!CopyWavePart(layout.header, 0, offset, length, out) ||
        !CopyWavePart(layout.trailer, audioEnd, offset, length, out))
        return -EIO;
    // The audio in the range, frame by frame.
    uint64_t position = std::max(offset, audioStart);
    const uint64_t end = std::min<uint64_t>(offset + length, audioEnd);
    while (position < end) {
        const uint64_t block = (position - audioStart) / layout.blockAlign;
        DecodedFrame frame;
        if (int error = fetch(block, &frame))
            return error;
        const uint64_t frameBytes = (frame.end - frame.first) * layout.blockAlign;
        if (!frame.bytes || frame.first > block || frame.end <= block || frame.bytes->size() != frameBytes)
            return -EIO;
        const uint64_t frameStart = audioStart + frame.first * layout.blockAlign;
        CopyPart(*frame.bytes, frameStart, offset, length, out);
        position = frameStart + frameBytes;
    }
    return static_cast<long>(length);
}

}  // namespace zemfs
