// SPDX-License-Identifier: BSD-3-Clause
#include "decode/current/block_ring.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zem {

bool CBlockRing::Create(int32_t capacity, int32_t margin) {
    int64_t size = int64_t(capacity) + margin + 1;
    if (capacity < 0 || margin < 0 || size > INT32_MAX)
        return false;
    try {
        m_bytes.assign(static_cast<size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_size = static_cast<int32_t>(size);
    m_margin = margin;
    Empty();
    return true;
}

int32_t CBlockRing::FreeBytes() const {
    int32_t limit = m_tail < m_head ? m_head : m_size + m_head - m_margin;
    return std::max(limit - m_tail - 1, 0);
}

int32_t CBlockRing::UsedBytes() const { return m_tail < m_head ? m_tail + m_realEnd - m_head : m_tail - m_head; }

void CBlockRing::CommitBlock(int32_t blockAlign) {
    m_tail += blockAlign;
    if (m_tail >= m_size - m_margin) {
        m_realEnd = m_tail;
        m_tail = 0;
    }
}

// A block may start anywhere before the wrap margin; the margin holds its rest.
int32_t CBlockRing::ContiguousBlocks(int32_t blockAlign) const {
    return (m_size - m_margin - m_tail + blockAlign - 1) / blockAlign;
}

void CBlockRing::CommitBlocks(int32_t count, int32_t blockAlign) {
    if (count > 0)
        CommitBlock(count * blockAlign);
}

void CBlockRing::Read(uint8_t* destination, int32_t n) {
    n = std::clamp(n, 0, UsedBytes());
    int32_t first = std::min(n, m_realEnd - m_head);
    if (destination) {
        std::memcpy(destination, m_bytes.data() + m_head, static_cast<size_t>(first));
        std::memcpy(destination + first, m_bytes.data(), static_cast<size_t>(n - first));
    }
    m_head += n;
    if (m_head >= m_realEnd)
        m_head -= m_realEnd;
}

void CBlockRing::RemoveFromTail(int32_t n) {
    n = std::clamp(n, 0, UsedBytes());
    m_tail -= n;
    if (m_tail < 0)
        m_tail += m_realEnd;
}

void CBlockRing::Empty() {
    m_head = m_tail = 0;
    m_realEnd = m_size;
}

}  // namespace zem
