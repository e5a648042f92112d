// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/shared_bytes.h"

#include "container/codec_error.h"

#include <algorithm>
#include <cstring>
#include <limits>

using namespace zem;

namespace zemtool {

int CSharedBytesStream::Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) {
    int64_t available = std::max<int64_t>(0, GetSize() - m_position);
    int32_t count = static_cast<int32_t>(std::clamp<int64_t>(bytesToRead, 0, available));
    if (count > 0)
        std::memcpy(buffer, m_bytes->data() + m_position, static_cast<size_t>(count));
    m_position += count;
    if (bytesRead)
        *bytesRead = count;
    return 0;
}

int CSharedBytesStream::Write(const void*, int32_t, int32_t* bytesWritten) {
    if (bytesWritten)
        *bytesWritten = 0;
    return CODEC_WRITE_FAILED;
}

int CSharedBytesStream::Seek(int32_t distance, int origin) {
    int64_t base = origin == 0 ? 0 : origin == 1 ? m_position : GetSize();
    int64_t target = base + distance;
    if (target >= 0 && target <= std::numeric_limits<int32_t>::max())
        m_position = target;
    return 0;
}

int32_t CSharedBytesStream::GetSize() {
    return static_cast<int32_t>(std::min<size_t>(m_bytes->size(), std::numeric_limits<int32_t>::max()));
}

int CSharedBytesStream::GetName(WCHAR* buffer) {
    if (buffer)
        buffer[0] = 0;
    return 0;
}

}  // namespace zemtool
