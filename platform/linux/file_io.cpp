// SPDX-License-Identifier: BSD-3-Clause
// ReadFile, WriteFile, SetFilePointer, SetEndOfFile, GetFileSize and GetFileType on the
// handles of the stand-in layer, with Win32's results and errors.
#include "platform/linux/handle_table.h"
#include "platform/linux/native_path.h"
#include "platform/linux/win32_linux.h"

#include <cerrno>
#include <cstdint>
#include <sys/stat.h>
#include <unistd.h>

using namespace zem::win32_linux;

namespace {

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// The object behind `file` when it is live and was opened with `access`
// (0 for none); otherwise nullptr with the Win32 error set.
std::shared_ptr<FileObject> Lookup(HANDLE file, DWORD access) {
    std::shared_ptr<FileObject> object = HandleTable::Instance().Find(file);
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    else if ((object->access & access) != access) {
        SetLastError(ERROR_ACCESS_DENIED);
        object.reset();
    }
    return object;
}

// Whole transfers, as Win32 gives for disk files: short only at the end of
// the file (reading) or on an error.
template <class Buffer, class Transfer>
bool TransferAll(int fd, Buffer buffer, size_t count, size_t* done, Transfer transfer) {
    *done = 0;
    while (*done < count) {
        ssize_t moved = transfer(fd, buffer + *done, count - *done);
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved < 0)
            return false;
        if (moved == 0)
            break;
        *done += static_cast<size_t>(moved);
    }
    return true;
}

bool NewPosition(int fd, int64_t distance, DWORD method, int64_t* position) {
    int64_t base = 0;
    if (method == FILE_CURRENT) {
        base = lseek(fd, 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat info;
        base = fstat(fd, &info) == 0 ? info.st_size : -1;
    } else if (method != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (base < 0) {
        SetLastError(ErrorFromErrno(errno, std::string()));
        return false;
    }
    if (__builtin_add_overflow(base, distance, position) || *position < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    return true;
}

}  // namespace

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
    if (read)
        *read = 0;
    std::shared_ptr<FileObject> object = Lookup(file, GENERIC_READ);
    if (!object)
        return FALSE;
    if (!buffer && toRead > 0)
        return Fail(ERROR_NOACCESS);
    size_t done = 0;
    bool ok = TransferAll(object->fd, static_cast<char*>(buffer), toRead, &done,
                          [](int fd, char* at, size_t count) { return ::read(fd, at, count); });
    if (read)
        *read = static_cast<DWORD>(done);
    return ok ? TRUE : Fail(ErrorFromErrno(errno, std::string()));
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
    if (written)
        *written = 0;
    std::shared_ptr<FileObject> object = Lookup(file, GENERIC_WRITE);
    if (!object)
        return FALSE;
    if (!buffer && toWrite > 0)
        return Fail(ERROR_NOACCESS);
    size_t done = 0;
    bool ok = TransferAll(object->fd, static_cast<const char*>(buffer), toWrite, &done,
                          [](int fd, const char* at, size_t count) { return ::write(fd, at, count); });
    if (written)
        *written = static_cast<DWORD>(done);
    return ok ? TRUE : Fail(ErrorFromErrno(errno, std::string()));
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
    std::shared_ptr<FileObject> object = Lookup(file, 0);
    if (!object)
        return INVALID_SET_FILE_POINTER;
    // Without a high part the distance is a signed 32-bit value; with one, the
    // two halves form a signed 64-bit distance.
    int64_t move = distance;
    if (distanceHigh)
        move = static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                    static_cast<uint32_t>(distance));
    int64_t position;
    if (!NewPosition(object->fd, move, method, &position))
        return INVALID_SET_FILE_POINTER;
    if (!distanceHigh && position > static_cast<int64_t>(UINT32_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(object->fd, position, SEEK_SET) < 0) {
        SetLastError(ErrorFromErrno(errno, std::string()));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
    DWORD low = static_cast<DWORD>(static_cast<uint64_t>(position));
    // A position whose low half looks like the failure value is told apart by
    // a cleared error, as Win32 does.
    if (low == INVALID_SET_FILE_POINTER)
        SetLastError(ERROR_SUCCESS);
    return low;
}

BOOL SetEndOfFile(HANDLE file) {
    std::shared_ptr<FileObject> object = Lookup(file, GENERIC_WRITE);
    if (!object)
        return FALSE;
    off_t position = lseek(object->fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(object->fd, position) != 0)
        return Fail(ErrorFromErrno(errno, std::string()));
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
    std::shared_ptr<FileObject> object = Lookup(file, 0);
    if (!object)
        return INVALID_FILE_SIZE;
    struct stat info;
    if (fstat(object->fd, &info) != 0) {
        SetLastError(ErrorFromErrno(errno, std::string()));
        return INVALID_FILE_SIZE;
    }
    uint64_t size = static_cast<uint64_t>(info.st_size);
    if (sizeHigh)
        *sizeHigh = static_cast<DWORD>(size >> 32);
    if (static_cast<DWORD>(size) == INVALID_FILE_SIZE)
        SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

DWORD GetFileType(HANDLE file) {
    std::shared_ptr<FileObject> object = Lookup(file, 0);
    struct stat info;
    if (!object || fstat(object->fd, &info) != 0) {
        SetLastError(object ? ErrorFromErrno(errno, std::string()) : ERROR_INVALID_HANDLE);
        return FILE_TYPE_UNKNOWN;
    }
    SetLastError(ERROR_SUCCESS);
    if (S_ISREG(info.st_mode))
        return FILE_TYPE_DISK;
    return S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? FILE_TYPE_CHAR : FILE_TYPE_PIPE;
}
