// SPDX-License-Identifier: BSD-3-Clause
// The few file calls zemtool makes on its own, straight to the system, each
// failure with the system's own words for it: new files created exclusively,
// writes, renames into place, and what a name stands for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zemtool {

enum class CreateResult { Created, NameTaken, Failed };

class NativeFile {
public:
    NativeFile() = default;
    ~NativeFile();
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    // Creates `path` only when nothing has that name yet, not even a symbolic
    // link (a link is never followed).
    CreateResult CreateNew(const std::string& path, std::string* why);
    // Opens something that exists (a device, a FIFO) for writing as it is.
    bool OpenForWriting(const std::string& path, std::string* why);
    bool Write(const void* bytes, size_t count, std::string* why);
    bool SeekTo(int64_t offset, std::string* why);
    // False when the system reports a failure of writes it had put off.
    bool Close(std::string* why);
    bool IsOpen() const;

private:
#ifdef _WIN32
    void* m_handle = reinterpret_cast<void*>(intptr_t(-1));
#else
    int m_fd = -1;
#endif
};

// Renames `from` to `to`, replacing the file that has that name.
bool RenameOver(const std::string& from, const std::string& to, std::string* why);
bool RemoveFile(const std::string& path);

enum class PathKind { Missing, RegularFile, Folder, Other };
// What `path` stands for, links followed. Missing, with the reason in `why`,
// when it cannot be looked at.
PathKind KindOfPath(const std::string& path, std::string* why);

// True when both names reach one file: the same name, a symbolic link to it
// or a hard link to it. False when either cannot be looked at.
bool SameFile(const std::string& a, const std::string& b);

// Why the file cannot be opened for reading, in the system's words; empty
// when it can.
std::string WhyUnreadable(const std::string& path);

// Removes a temporary file, for the handlers of interrupting signals: only
// calls that are safe in a signal handler. `path` is in the system's form.
#ifdef _WIN32
void RemoveFromHandler(const wchar_t* path);
#else
void RemoveFromHandler(const char* path);
#endif

}  // namespace zemtool
