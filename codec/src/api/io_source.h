// SPDX-License-Identifier: BSD-3-Clause
// The codec's file interface over a caller's zem_io callbacks.
#pragma once

#include "codec/include/zem/zem.h"
#include "io/stream_io.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zem::api {

// Reads where the decoder asks, through `seek` and `read`; writes nothing.
// `owner` (may be empty) keeps the callbacks' user data alive.
class CCallbackStream : public CStreamIo {
public:
    CCallbackStream(const zem_io& io, void* user, int64_t size, std::shared_ptr<void> owner = {});

    int Open(const WCHAR*) override { return -1; }
    int Close() override { return 0; }
    int Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) override;
    int Write(const void*, int32_t, int32_t* bytesWritten) override;
    // Like a file: a seek that fails leaves the position where it was, and
    // one beyond the end lands there.
    int Seek(int32_t distance, int origin) override;
    int Create(const WCHAR*) override { return -1; }
    int Delete() override { return -1; }
    int SetEof() override { return -1; }
    int32_t GetPosition() override { return static_cast<int32_t>(m_position); }
    int32_t GetSize() override { return static_cast<int32_t>(m_size); }
    int GetName(WCHAR* buffer) override;

private:
    zem_io m_io;
    void* m_user;
    int64_t m_size;
    int64_t m_position = 0;
    std::shared_ptr<void> m_owner;
};

// The number of bytes `io` holds from offset 0: its `size`, or, when that is
// missing or unknown, what reading through it finds (then seeks back to 0).
// A negative CodecError when it cannot be had.
int64_t SourceSize(const zem_io& io, void* user);

}  // namespace zem::api
