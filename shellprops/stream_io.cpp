// SPDX-License-Identifier: BSD-3-Clause
#include "shellprops/stream_io.h"

namespace shellprops {

namespace {

long Read(void* user, void* buffer, long bytes) {
    if (bytes <= 0) return 0;
    ULONG done = 0;
    const HRESULT status = static_cast<IStream*>(user)->Read(buffer, static_cast<ULONG>(bytes), &done);
    // S_FALSE with fewer bytes is the end; anything else that failed is a failure.
    if (FAILED(status)) return -1;
    return done > static_cast<ULONG>(bytes) ? -1 : static_cast<long>(done);
}

int Seek(void* user, int64_t offset) {
    if (offset < 0) return -1;
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return SUCCEEDED(static_cast<IStream*>(user)->Seek(to, STREAM_SEEK_SET, nullptr)) ? 0 : -1;
}

int64_t Size(void* user) { return StreamSize(static_cast<IStream*>(user)); }

const zem_io kIo = {&Read, &Seek, &Size};

}  // namespace

const zem_io& StreamIo() { return kIo; }

int64_t StreamSize(IStream* stream) {
    STATSTG stat = {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > uint64_t(INT64_MAX)) return -1;
    return static_cast<int64_t>(stat.cbSize.QuadPart);
}

}  // namespace shellprops
