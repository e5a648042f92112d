// SPDX-License-Identifier: BSD-3-Clause
#include "api/io_source.h"

#include "container/codec_error.h"

#include <algorithm>
#include <climits>
#include <vector>

using namespace zem;

namespace zem::api {
namespace {

constexpr int64_t kMaxSourceBytes = INT32_MAX;  // the codec's offsets are 32-bit
constexpr long kChunk = 1 << 16;

}  // namespace

CCallbackStream::CCallbackStream(const zem_io& io, void* user, int64_t size, std::shared_ptr<void> owner)
    : m_io(io), m_user(user), m_size(size), m_owner(std::move(owner)) {}

// A source may give fewer bytes than asked at a time (a socket does): the
// codec takes a short read for the file's end, so reading goes on until the
// count is reached or the source ends.
int CCallbackStream::Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) {
    int32_t done = 0;
    int result = CODEC_OK;
    // Past the end, where a seek may place a file's position, nothing is read.
    while (done < bytesToRead && m_position < m_size) {
        const long got = m_io.read(m_user, static_cast<uint8_t*>(buffer) + done, static_cast<long>(bytesToRead - done));
        if (got < 0) {
            result = CODEC_READ_FAILED;
            break;
        }
        if (got == 0)
            break;
        done += static_cast<int32_t>(std::min<long>(got, bytesToRead - done));
    }
    m_position += done;
    if (bytesRead)
        *bytesRead = done;
    return result;
}

int CCallbackStream::Write(const void*, int32_t, int32_t* bytesWritten) {
    if (bytesWritten)
        *bytesWritten = 0;
    return CODEC_WRITE_FAILED;
}

int CCallbackStream::Seek(int32_t distance, int origin) {
    const int64_t base = origin == 0 ? 0 : origin == 1 ? m_position : m_size;
    const int64_t target = base + distance;
    // Beyond the end the source is not asked (it may refuse, as memory does):
    // the position goes there as a file's would, and reads find nothing.
    if (target > m_size && target <= kMaxSourceBytes)
        m_position = target;
    else if (target >= 0 && target <= kMaxSourceBytes && m_io.seek(m_user, target) == 0)
        m_position = target;
    return 0;
}

int CCallbackStream::GetName(WCHAR* buffer) {
    buffer[0] = 0;
    return 0;
}

int64_t SourceSize(const zem_io& io, void* user) {
    const int64_t told = io.size ? io.size(user) : -1;
    if (told >= 0)
        return told;
    if (io.seek(user, 0) != 0)
        return CODEC_READ_FAILED;
    std::vector<uint8_t> chunk(kChunk);
    int64_t total = 0;
    for (;;) {
        const long got = io.read(user, chunk.data(), kChunk);
        if (got < 0)
            return CODEC_READ_FAILED;
        if (got == 0)
            break;
        total += got;
        if (total > kMaxSourceBytes)
            return CODEC_BAD_INPUT;
    }
    return io.seek(user, 0) == 0 ? total : int64_t(CODEC_READ_FAILED);
}

}  // namespace zem::api
