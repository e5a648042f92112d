// SPDX-License-Identifier: BSD-3-Clause
#include "container/stream_start.h"

#include "container/format_magic.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zem {

namespace {

constexpr int32_t kId3HeaderBytes = 10;
constexpr int32_t kChunkBytes = 65536;

// The 28-bit length of an ID3v2 block is stored as four 7-bit groups.
int32_t SyncSafeLength(const uint8_t* bytes) {
    return (bytes[0] & 0x7F) << 21 | (bytes[1] & 0x7F) << 14 | (bytes[2] & 0x7F) << 7 | (bytes[3] & 0x7F);
}

// Number of zero bytes from `start` on, up to the first other byte or the end.
int32_t CountZeroBytes(CStreamIo* io, int32_t start) {
    io->Seek(start, 0);
    std::vector<uint8_t> chunk(kChunkBytes);
    int64_t zeros = 0;
    for (;;) {
        int32_t got = 0;
        io->Read(chunk.data(), kChunkBytes, &got);
        if (got <= 0)
            break;
        auto end = chunk.begin() + got;
        auto firstNonZero = std::find_if(chunk.begin(), end, [](uint8_t b) { return b != 0; });
        zeros += firstNonZero - chunk.begin();
        if (firstNonZero != end || zeros >= INT32_MAX - start)
            break;
    }
    return static_cast<int32_t>(std::min<int64_t>(zeros, INT32_MAX - start));
}

// Where the search for the magic begins: behind an ID3v2 block, if any.
int32_t SearchStart(CStreamIo* io) {
    io->Seek(0, 0);
    uint8_t header[kId3HeaderBytes] = {};
    int32_t got = 0;
    io->Read(header, kId3HeaderBytes, &got);
    // A block too short to hold its own length is not taken for an ID3v2 block.
    if (got < kId3HeaderBytes || std::memcmp(header, "ID3", 3) != 0)
        return 0;
    const int32_t length = SyncSafeLength(header + 6);
    if (header[5] & 0x10)
        return length + 20;  // the footer repeats the 10-byte header
    const int32_t start = length + 10;
    return start + CountZeroBytes(io, start);
}

// Offset of the magic from `start`, or -1. Reads in chunks rather than byte
// by byte, but the window is the same: the magic may begin at most
// kMaxStreamSearchSteps bytes after `start`.
int32_t SearchMagic(CStreamIo* io, int32_t start) {
    io->Seek(start, 0);
    constexpr int32_t kTail = sizeof(kStreamMagic) - 1;  // bytes kept so a magic may straddle two chunks
    const int64_t windowBytes = static_cast<int64_t>(kMaxStreamSearchSteps) + sizeof(kStreamMagic);
    std::vector<uint8_t> buffer(kTail + kChunkBytes);
    int32_t kept = 0;       // bytes of the previous chunk at the front of the buffer
    int64_t consumed = 0;   // bytes read from `start` on
    while (consumed < windowBytes) {
        const int32_t want = static_cast<int32_t>(std::min<int64_t>(kChunkBytes, windowBytes - consumed));
        int32_t got = 0;
        io->Read(buffer.data() + kept, want, &got);
        if (got <= 0)
            break;
        consumed += got;
        auto end = buffer.begin() + kept + got;
        auto found = std::search(buffer.begin(), end, std::begin(kStreamMagic), std::end(kStreamMagic));
        if (found != end)
            return static_cast<int32_t>(consumed - (end - found));
        kept = static_cast<int32_t>(std::min<std::ptrdiff_t>(kTail, end - buffer.begin()));
        std::copy(end - kept, end, buffer.begin());
    }
    return -1;
}

}  // namespace

int32_t FindStreamStart(CStreamIo* io) {
    const int32_t remembered = io->GetPosition();
    const int32_t start = SearchStart(io);
    const int32_t offset = SearchMagic(io, start);
    if (offset < 0 || static_cast<int64_t>(start) + offset > INT32_MAX) {
        io->Seek(remembered, 0);
        return -1;
    }
    io->Seek(start + offset, 0);
    return start + offset;
}

}  // namespace zem
