// SPDX-License-Identifier: BSD-3-Clause
// Writes that must survive a power cut or a killed process: a finished file
// and its name synced to disk before its input goes, and a log of finished
// jobs whose every line is on disk before the next job counts on it.
#pragma once

#include <string>

namespace zemtool {

// Syncs the file `path` and the folder entry that names it to disk.
bool SyncFile(const std::string& path, std::string* why);

// A file that only grows at its end, one synced write per line.
class AppendLog {
public:
    AppendLog() = default;
    ~AppendLog();
    AppendLog(const AppendLog&) = delete;
    AppendLog& operator=(const AppendLog&) = delete;

    // Opens `path` for appending, creating it when it is missing.
    bool Open(const std::string& path, std::string* why);
    // Appends `line` in one write and syncs it.
    bool Append(const std::string& line, std::string* why);

private:
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

// Reads the whole file; false with the system's reason.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* why);

}  // namespace zemtool
