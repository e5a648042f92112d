// SPDX-License-Identifier: BSD-3-Clause
// A read-only CStreamIo over bytes shared between threads, each reader with
// its own position: standard input read once, decoded by every worker.
#pragma once

#include "io/stream_io.h"

#include <memory>
#include <vector>

namespace zemtool {

// Until these files read through <zem/zem.h>, they name the codec's classes.
using namespace zem;

class CSharedBytesStream : public CStreamIo {
public:
    explicit CSharedBytesStream(std::shared_ptr<const std::vector<uint8_t>> bytes) : m_bytes(std::move(bytes)) {}

    int Open(const WCHAR*) override { return 0; }
    int Close() override { return 0; }
    int Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) override;
    int Write(const void*, int32_t, int32_t* bytesWritten) override;
    int Seek(int32_t distance, int origin) override;
    int Create(const WCHAR*) override { return -1; }
    int Delete() override { return -1; }
    int SetEof() override { return -1; }
    int32_t GetPosition() override { return static_cast<int32_t>(m_position); }
    int32_t GetSize() override;
    int GetName(WCHAR* buffer) override;

private:
    std::shared_ptr<const std::vector<uint8_t>> m_bytes;
    int64_t m_position = 0;
};

}  // namespace zemtool
