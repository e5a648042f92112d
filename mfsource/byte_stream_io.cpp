// SPDX-License-Identifier: BSD-3-Clause
#include "mfsource/byte_stream_io.h"

#include <climits>

namespace mfsource {

namespace {

long Read(void* user, void* buffer, long bytes) {
    if (bytes <= 0) return 0;
    ULONG done = 0;
    if (FAILED(static_cast<IMFByteStream*>(user)->Read(static_cast<BYTE*>(buffer), static_cast<ULONG>(bytes), &done)))
        return -1;
    return done > static_cast<ULONG>(bytes) ? -1 : static_cast<long>(done);
}

int Seek(void* user, int64_t offset) {
    if (offset < 0) return -1;
    return SUCCEEDED(static_cast<IMFByteStream*>(user)->SetCurrentPosition(static_cast<QWORD>(offset))) ? 0 : -1;
}

int64_t Size(void* user) {
    QWORD length = 0;
    if (FAILED(static_cast<IMFByteStream*>(user)->GetLength(&length)) || length > QWORD(INT64_MAX)) return -1;
    return static_cast<int64_t>(length);
}

const zem_io kIo = {&Read, &Seek, &Size};
// A stream that cannot seek is read once, front to back (the library keeps it in memory).
const zem_io kOnceIo = {&Read, nullptr, &Size};

}  // namespace

const zem_io& ByteStreamIo(bool seekable) { return seekable ? kIo : kOnceIo; }

}  // namespace mfsource
