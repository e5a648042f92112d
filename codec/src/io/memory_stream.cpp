// SPDX-License-Identifier: BSD-3-Clause
#include "io/memory_stream.h"

#include "container/codec_error.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace zem {

namespace {
constexpr int64_t kMaxSize = std::numeric_limits<int32_t>::max();
}

CMemoryStream::CMemoryStream(std::vector<uint8_t> bytes, bool readOnly)
    : m_bytes(std::move(bytes)), m_readOnly(readOnly) {}

int CMemoryStream::Open(const WCHAR* name) {
    if (!name || std::char_traits<WCHAR>::length(name) >= kMaxPathChars)
        return -1;
    m_name = name;
    m_open = true;
    m_position = 0;
    return 0;
}

int CMemoryStream::Close() {
    m_open = false;
    return 0;
}

int CMemoryStream::Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) {
    if (bytesRead)
        *bytesRead = 0;
    if (bytesToRead <= 0)
        return 0;
    if (!m_open || m_failReads > 0) {
        if (m_failReads > 0)
            --m_failReads;
        return CODEC_READ_FAILED;
    }
    int64_t available = std::max<int64_t>(0, static_cast<int64_t>(m_bytes.size()) - m_position);
    int32_t count = static_cast<int32_t>(std::min<int64_t>(available, bytesToRead));
    if (count > 0)
        std::memcpy(buffer, m_bytes.data() + m_position, static_cast<size_t>(count));
    m_position += count;
    if (bytesRead)
        *bytesRead = count;
    return 0;
}

int CMemoryStream::Write(const void* buffer, int32_t bytesToWrite, int32_t* bytesWritten) {
    if (bytesWritten)
        *bytesWritten = 0;
    if (!m_open || m_readOnly || bytesToWrite < 0 || m_position + bytesToWrite > kMaxSize)
        return CODEC_WRITE_FAILED;
    size_t end = static_cast<size_t>(m_position) + static_cast<size_t>(bytesToWrite);
    if (end > m_bytes.size())
        m_bytes.resize(end);
    if (bytesToWrite > 0)
        std::memcpy(m_bytes.data() + m_position, buffer, static_cast<size_t>(bytesToWrite));
    m_position = static_cast<int64_t>(end);
    if (bytesWritten)
        *bytesWritten = bytesToWrite;
    return 0;
}

int CMemoryStream::Seek(int32_t distance, int origin) {
    if (!m_open)
        return 0;
    int64_t base = origin == 0 ? 0 : origin == 1 ? m_position : static_cast<int64_t>(m_bytes.size());
    int64_t target = base + distance;
    // Like the platform: a seek before the start fails and leaves the position alone.
    if (target >= 0 && target <= kMaxSize)
        m_position = target;
    return 0;
}

int CMemoryStream::Create(const WCHAR* name) {
    if (!name || std::char_traits<WCHAR>::length(name) >= kMaxPathChars)
        return -1;
    m_name = name;
    m_bytes.clear();
    m_position = 0;
    m_open = true;
    m_readOnly = false;
    return 0;
}

int CMemoryStream::Delete() {
    Close();
    m_bytes.clear();
    return 0;
}

int CMemoryStream::SetEof() {
    if (!m_open || m_readOnly)
        return -1;
    m_bytes.resize(static_cast<size_t>(m_position));
    return 0;
}

int32_t CMemoryStream::GetPosition() { return m_open ? static_cast<int32_t>(m_position) : -1; }

int32_t CMemoryStream::GetSize() { return m_open ? static_cast<int32_t>(m_bytes.size()) : -1; }

int CMemoryStream::GetName(WCHAR* buffer) {
    std::copy(m_name.begin(), m_name.end(), buffer);
    buffer[m_name.size()] = 0;
    return 0;
}

}  // namespace zem
