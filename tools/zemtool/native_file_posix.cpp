// SPDX-License-Identifier: BSD-3-Clause
// The native file calls on POSIX systems.
#ifndef _WIN32
#include "tools/zemtool/native_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zemtool {
namespace {

bool Fail(std::string* why) {
    *why = std::strerror(errno);
    return false;
}

}  // namespace

NativeFile::~NativeFile() {
    if (m_fd >= 0)
        close(m_fd);
}

CreateResult NativeFile::CreateNew(const std::string& path, std::string* why) {
    do {
        m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd >= 0)
        return CreateResult::Created;
    const bool taken = errno == EEXIST;
    Fail(why);
    return taken ? CreateResult::NameTaken : CreateResult::Failed;
}

bool NativeFile::OpenForWriting(const std::string& path, std::string* why) {
    do {
        m_fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    return m_fd >= 0 || Fail(why);
}

bool NativeFile::Write(const void* bytes, size_t count, std::string* why) {
    const char* next = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t done = write(m_fd, next, count);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return Fail(why);
        next += done;
        count -= static_cast<size_t>(done);
    }
    return true;
}

bool NativeFile::SeekTo(int64_t offset, std::string* why) {
    return lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) >= 0 || Fail(why);
}

bool NativeFile::Close(std::string* why) {
    if (m_fd < 0)
        return true;
    const int result = close(m_fd);
    m_fd = -1;
    return result == 0 || errno == EINTR || Fail(why);
}

bool NativeFile::IsOpen() const { return m_fd >= 0; }

bool RenameOver(const std::string& from, const std::string& to, std::string* why) {
    return std::rename(from.c_str(), to.c_str()) == 0 || Fail(why);
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

PathKind KindOfPath(const std::string& path, std::string* why) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        Fail(why);
        return PathKind::Missing;
    }
    if (S_ISREG(info.st_mode))
        return PathKind::RegularFile;
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

std::string WhyUnreadable(const std::string& path) {
    // Without O_NONBLOCK a FIFO would hold the open until someone writes to it.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    close(fd);
    return {};
}

void RemoveFromHandler(const char* path) { unlink(path); }

}  // namespace zemtool
#endif
