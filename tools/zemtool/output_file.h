// SPDX-License-Identifier: BSD-3-Clause
// An output file that appears whole or not at all. It is written under a
// unique temporary name beside its target, created exclusively, and renamed
// into place by Commit(); it is removed when the object goes uncommitted and
// when an interruption ends zemtool. A target that exists and is no regular
// file (a device such as /dev/null, a FIFO) cannot be replaced and is written
// straight.
#pragma once

#include "io/stream_io.h"
#include "tools/zemtool/native_file.h"

#include <string>

namespace zemtool {

class OutputFile : public CStreamIo {
public:
    OutputFile() = default;
    ~OutputFile() override;

    // Starts the file for `target`. False with a one-line message (which file,
    // what failed and the system's reason) in `message`.
    bool Begin(const std::string& target, std::string* message);
    // Puts the complete file in place under the target's name.
    bool Commit(std::string* message);
    // Removes the temporary file; the target stays as it was.
    void Discard();

    bool WriteAll(const void* bytes, size_t count);
    // Why the last write or seek failed, as a message like those above.
    const std::string& Failure() const { return m_failure; }

    // CStreamIo, for writers that write and seek back: Write and Seek from the start.
    int Open(const WCHAR*) override { return -1; }
    int Close() override { return 0; }
    int Read(void*, int32_t, int32_t* bytesRead) override;
    int Write(const void* buffer, int32_t bytesToWrite, int32_t* bytesWritten) override;
    int Seek(int32_t distance, int origin) override;
    int Create(const WCHAR*) override { return -1; }
    int Delete() override { return -1; }
    int SetEof() override { return -1; }
    int32_t GetPosition() override { return static_cast<int32_t>(m_position); }
    int32_t GetSize() override { return static_cast<int32_t>(m_size); }
    int GetName(WCHAR* buffer) override;

private:
    bool CreateTemporary(std::string* message);

    NativeFile m_file;
    std::string m_target;
    std::string m_temporary;  // empty when the target is written straight
    std::string m_failure;
    int64_t m_position = 0;
    int64_t m_size = 0;
};

}  // namespace zemtool
