// SPDX-License-Identifier: BSD-3-Clause
// An output file that appears whole or not at all. It is written under a
// unique temporary name beside its target, created exclusively, and renamed
// into place by Commit(); it is removed when the object goes uncommitted and
// when an interruption ends zemtool. A target that exists and is no regular
// file (a device such as /dev/null, a FIFO) cannot be replaced and is written
// straight.
#pragma once

#include "tools/zemtool/native_file.h"

#include <cstdint>
#include <string>

namespace zemtool {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Starts the file for `target`. False with a one-line message (which file,
    // what failed and the system's reason) in `message`.
    bool Begin(const std::string& target, std::string* message);
    // Puts the complete file in place under the target's name.
    bool Commit(std::string* message);
    // Removes the temporary file; the target stays as it was.
    void Discard();

    bool WriteAll(const void* bytes, size_t count);
    // Moves where the next write goes, for writers that go back to fill in
    // what they learn only at the end.
    bool SeekTo(int64_t position);
    int64_t Position() const { return m_position; }
    int64_t Size() const { return m_size; }
    // Why the last write or seek failed, as a message like those above.
    const std::string& Failure() const { return m_failure; }

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
