// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/durable_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include "tools/zemtool/file_names.h"

#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zemtool {
namespace {

#ifdef _WIN32
std::string SystemReason() { return "system error " + std::to_string(static_cast<unsigned long>(GetLastError())); }

HANDLE OpenForSync(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileW(SystemPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}
#else
bool Fail(std::string* why) {
    *why = std::strerror(errno);
    return false;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncPath(const std::string& path, int flags, std::string* why) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        return Fail(why);
    const bool synced = fsync(fd) == 0 || Fail(why);
    close(fd);
    return synced;
}
#endif

}  // namespace

#ifdef _WIN32
// The system keeps a rename in its journal; the file's data needs a flush of its own.
bool SyncFile(const std::string& path, std::string* why) {
    HANDLE file = OpenForSync(path, GENERIC_WRITE, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        *why = SystemReason();
        return false;
    }
    const bool flushed = FlushFileBuffers(file) != 0;
    if (!flushed)
        *why = SystemReason();
    CloseHandle(file);
    return flushed;
}

AppendLog::~AppendLog() {
    if (m_handle)
        CloseHandle(m_handle);
}

bool AppendLog::Open(const std::string& path, std::string* why) {
    HANDLE file = OpenForSync(path, FILE_APPEND_DATA, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
        *why = SystemReason();
        return false;
    }
    m_handle = file;
    return true;
}

bool AppendLog::Append(const std::string& line, std::string* why) {
    DWORD written = 0;
    if (!WriteFile(m_handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size() || !FlushFileBuffers(m_handle)) {
        *why = SystemReason();
        return false;
    }
    return true;
}
#else
bool SyncFile(const std::string& path, std::string* why) {
    return SyncPath(path, O_RDONLY, why) && SyncPath(FolderOf(path), O_RDONLY | O_DIRECTORY, why);
}

AppendLog::~AppendLog() {
    if (m_fd >= 0)
        close(m_fd);
}

bool AppendLog::Open(const std::string& path, std::string* why) {
    m_fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    return m_fd >= 0 || Fail(why);
}

// One write() per line: a process killed meanwhile leaves the whole line or
// none of it, never half of it followed by another.
bool AppendLog::Append(const std::string& line, std::string* why) {
    ssize_t done;
    do {
        done = write(m_fd, line.data(), line.size());
    } while (done < 0 && errno == EINTR);
    if (done < 0)
        return Fail(why);
    if (static_cast<size_t>(done) != line.size()) {
        *why = "short write";
        return false;
    }
    return fsync(m_fd) == 0 || Fail(why);
}
#endif

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* why) {
#ifdef _WIN32
    std::ifstream file(SystemPath(path), std::ios::binary);
#else
    std::ifstream file(path, std::ios::binary);
#endif
    if (!file) {
#ifdef _WIN32
        *why = "cannot be opened";
#else
        *why = std::strerror(errno);
#endif
        return false;
    }
    std::ostringstream all;
    all << file.rdbuf();
    *bytes = all.str();
    return true;
}

}  // namespace zemtool
