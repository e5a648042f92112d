// SPDX-License-Identifier: BSD-3-Clause
// The codec library's file on the platform's file calls: one Win32 handle,
// the name it was opened under, and whether it had to settle for reading.
#pragma once

#include "io/stream_io.h"
#include "platform/paths.h"

namespace zem {

class CWin32File : public CStreamIo {
public:
    CWin32File();
    ~CWin32File() override;
    CWin32File(const CWin32File&) = delete;
    CWin32File& operator=(const CWin32File&) = delete;

    // Opens an existing file for reading and writing, shared with other
    // readers and writers; falls back to reading alone (shared with readers
    // only) and then reports IsReadOnly() as 1. Names of kMaxPathChars characters
    // or more are refused.
    int Open(const WCHAR* name) override;
    // Opens an existing file for reading alone, shared with other readers and
    // writers, for callers that never write: IsReadOnly() is then 1. Only a
    // disk file is taken; a pipe or a device, which cannot be read back and
    // forth (and may never end), is refused like a missing file (-1).
    int OpenForReading(const WCHAR* name);
    int Close() override;
    int Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) override;
    int Write(const void* buffer, int32_t bytesToWrite, int32_t* bytesWritten) override;
    // A failed seek is not reported; the position stays where it was.
    int Seek(int32_t distance, int origin) override;
    // Creates or empties the file and holds it unshared until closed.
    int Create(const WCHAR* name) override;
    int Delete() override;
    int SetEof() override;
    int32_t GetPosition() override;
    int32_t GetSize() override;
    int GetName(WCHAR* buffer) override;

    int IsReadOnly() const { return m_readOnly; }

private:
    bool AcceptName(const WCHAR* name);

    void Opened(HANDLE handle, const WCHAR* name, int readOnly);

    HANDLE m_handle;
    WCHAR m_name[kMaxPathChars];
    int m_readOnly;
    // The file pointer as this object last moved it: the handle is this
    // object's alone, so GetPosition needs no call to the system (readers ask
    // at every frame). -1 when a failed call leaves it unknown.
    int64_t m_position;
};

}  // namespace zem
