// SPDX-License-Identifier: BSD-3-Clause
// The abstract file interface through which every byte of the codec library
// passes. Offsets and sizes are signed 32-bit; results are 0 for success.
#pragma once

#include "platform/win32.h"

#include <cstdint>

namespace zem {

class CStreamIo {
public:
    virtual ~CStreamIo() = default;

    virtual int Open(const WCHAR* name) = 0;
    virtual int Close() = 0;
    virtual int Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) = 0;
    virtual int Write(const void* buffer, int32_t bytesToWrite, int32_t* bytesWritten) = 0;
    // origin: 0 = from the start, 1 = from the current position, 2 = from the end.
    virtual int Seek(int32_t distance, int origin) = 0;
    virtual int Create(const WCHAR* name) = 0;
    virtual int Delete() = 0;
    virtual int SetEof() = 0;
    virtual int32_t GetPosition() = 0;
    virtual int32_t GetSize() = 0;
    // Copies the stored name with its NUL into `buffer` (kMaxPathChars wide characters, platform/paths.h).
    virtual int GetName(WCHAR* buffer) = 0;
    // True for a source read front to back as it arrives (a pipe): what lies
    // at its end cannot be looked at before everything in front of it was
    // read, so readers of the end (the tags) leave it alone.
    virtual bool IsSequential() const { return false; }
};

}  // namespace zem
