// SPDX-License-Identifier: BSD-3-Clause
#include "api/sequential_source.h"

#include "container/codec_error.h"

#include <algorithm>
#include <climits>
#include <cstring>

using namespace zem;

namespace zem::api {
namespace {

constexpr int64_t kMaxSourceBytes = INT32_MAX;  // the codec's offsets are 32-bit
constexpr long kChunk = 1 << 16;
// How far back the decoder may come, forgetting on: it reads a frame ahead in
// buffers of 16 KiB and, after a failed frame, seeks to the next one's start,
// which lies inside that buffer.
constexpr int64_t kKeptBehind = int64_t(1) << 18;

}  // namespace

CSequentialStream::CSequentialStream(const zem_io& io, void* user) : m_io(io), m_user(user), m_size(kMaxSourceBytes) {}

bool CSequentialStream::Fill(int64_t end) {
    end = std::min(end, kMaxSourceBytes);
    while (!m_reachedEnd && !m_failed && m_keptStart + static_cast<int64_t>(m_kept.size()) < end) {
        const size_t done = m_kept.size();
        const int64_t room = kMaxSourceBytes - (m_keptStart + static_cast<int64_t>(done));
        const long want = static_cast<long>(std::min<int64_t>(kChunk, std::max<int64_t>(room, 1)));
        m_kept.resize(done + static_cast<size_t>(want));
        const long got = m_io.read(m_user, m_kept.data() + done, want);
        m_kept.resize(done + static_cast<size_t>(std::clamp<long>(got, 0, want)));
        if (got < 0)
            m_failed = true;
        else if (got == 0 || room <= 0)
            m_reachedEnd = true;
    }
    return !m_failed;
}

int CSequentialStream::Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) {
    int32_t done = 0;
    int result = CODEC_OK;
    Forget();
    if (bytesToRead > 0) {
        if (!Fill(m_position + bytesToRead))
            result = CODEC_READ_FAILED;
        const int64_t keptEnd = m_keptStart + static_cast<int64_t>(m_kept.size());
        const int64_t count = std::clamp<int64_t>(keptEnd - m_position, 0, bytesToRead);
        if (count > 0)
            std::memcpy(buffer, m_kept.data() + (m_position - m_keptStart), static_cast<size_t>(count));
        done = static_cast<int32_t>(count);
        m_position += count;
    }
    if (bytesRead)
        *bytesRead = done;
    return result;
}

int CSequentialStream::Write(const void*, int32_t, int32_t* bytesWritten) {
    if (bytesWritten)
        *bytesWritten = 0;
    return CODEC_WRITE_FAILED;
}

int CSequentialStream::Seek(int32_t distance, int origin) {
    const int64_t base = origin == 0 ? 0 : origin == 1 ? m_position : m_size;
    const int64_t target = base + distance;
    if (target < m_keptStart || target > kMaxSourceBytes)
        return -1;
    m_position = target;
    return 0;
}

// Drops what lies more than kKeptBehind behind the position (never the bytes
// from m_keepFrom on), once that is as much again, so that each byte is moved
// about once.
void CSequentialStream::Forget() {
    const int64_t until = std::min(m_position - kKeptBehind, m_keepFrom);
    if (!m_forget || until - m_keptStart < kKeptBehind)
        return;
    const int64_t drop = std::min<int64_t>(until - m_keptStart, static_cast<int64_t>(m_kept.size()));
    m_kept.erase(m_kept.begin(), m_kept.begin() + drop);
    m_keptStart += drop;
}

int CSequentialStream::GetName(WCHAR* buffer) {
    buffer[0] = 0;
    return 0;
}

int CSequentialStream::ReadToEnd() {
    if (!Fill(kMaxSourceBytes))
        return CODEC_READ_FAILED;
    const int64_t total = m_keptStart + static_cast<int64_t>(m_kept.size());
    if (total >= kMaxSourceBytes)
        return CODEC_BAD_INPUT;
    m_size = total;
    m_whole = true;
    return CODEC_OK;
}

}  // namespace zem::api
