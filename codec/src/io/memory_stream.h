// SPDX-License-Identifier: BSD-3-Clause
// A CStreamIo over a byte buffer in memory: for callers that hold a stream
// already loaded, and for tests and fuzzing of everything that parses files.
#pragma once

#include "io/stream_io.h"

#include <cstdint>
#include <vector>

namespace zem {

class CMemoryStream : public CStreamIo {
public:
    CMemoryStream() = default;
    explicit CMemoryStream(std::vector<uint8_t> bytes, bool readOnly = false);

    int Open(const WCHAR* name) override;  // keeps the bytes; only records the name
    int Close() override;
    int Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) override;
    int Write(const void* buffer, int32_t bytesToWrite, int32_t* bytesWritten) override;
    int Seek(int32_t distance, int origin) override;
    int Create(const WCHAR* name) override;  // empties the buffer
    int Delete() override;
    int SetEof() override;
    int32_t GetPosition() override;
    int32_t GetSize() override;
    int GetName(WCHAR* buffer) override;

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    std::vector<uint8_t>& Bytes() { return m_bytes; }
    // Test hook: the next `count` reads fail with CODEC_READ_FAILED.
    void FailNextReads(int count) { m_failReads = count; }

private:
    std::vector<uint8_t> m_bytes;
    int64_t m_position = 0;
    bool m_open = true;
    bool m_readOnly = false;
    int m_failReads = 0;
    WString m_name;
};

}  // namespace zem
