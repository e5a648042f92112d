// SPDX-License-Identifier: BSD-3-Clause
// Circular byte buffer of decoded blocks between the frame loop and GetData.
// A block is always written whole: when the tail gets within the wrap margin
// of the end, the buffer's real end is moved to the tail and writing wraps.
#pragma once

#include <cstdint>
#include <vector>

namespace zem {

class CBlockRing {
public:
    // Capacity and margin in bytes; false when the bytes cannot be had.
    bool Create(int32_t capacity, int32_t margin);

    int32_t FreeBytes() const;
    int32_t UsedBytes() const;

    // Where the next block of `blockAlign` bytes goes; Commit makes it part of the ring.
    uint8_t* TailPointer() { return m_bytes.data() + m_tail; }
    void CommitBlock(int32_t blockAlign);
    // How many whole blocks can be written at the tail before writing wraps;
    // always at least 1. CommitBlocks takes up to that many at once.
    int32_t ContiguousBlocks(int32_t blockAlign) const;
    void CommitBlocks(int32_t count, int32_t blockAlign);
    // Copies up to n bytes from the head (null destination: drops them).
    void Read(uint8_t* destination, int32_t n);
    void RemoveFromTail(int32_t n);
    void Empty();

private:
    std::vector<uint8_t> m_bytes;
    int32_t m_size = 0;
    int32_t m_margin = 0;
    int32_t m_realEnd = 0;
    int32_t m_head = 0;
    int32_t m_tail = 0;
};

}  // namespace zem
