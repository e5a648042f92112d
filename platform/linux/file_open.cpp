// SPDX-License-Identifier: BSD-3-Clause
// CreateFileW, CloseHandle and DeleteFileW over POSIX files, with Win32's
// dispositions, read-only attribute and share modes.
#include "platform/linux/handle_table.h"
#include "platform/linux/native_path.h"
#include "platform/linux/win32_linux.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zem::win32_linux;

namespace {

struct OpenRequest {
    std::string path;
    DWORD access;
    DWORD disposition;
    bool readOnlyAttribute;
    bool existed;
};

HANDLE FailOpen(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

bool Truncates(DWORD disposition) { return disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING; }

// The checks Win32 makes before it touches the file. ERROR_SUCCESS when the
// open may go ahead; `request.existed` tells whether the file is already there.
DWORD CheckBeforeOpening(OpenRequest& request) {
    if (request.disposition < CREATE_NEW || request.disposition > TRUNCATE_EXISTING)
        return ERROR_INVALID_PARAMETER;
    if (request.disposition == TRUNCATE_EXISTING && !(request.access & GENERIC_WRITE))
        return ERROR_INVALID_PARAMETER;
    struct stat info;
    request.existed = stat(request.path.c_str(), &info) == 0;
    if (!request.existed) {
        bool mustExist = request.disposition == OPEN_EXISTING || request.disposition == TRUNCATE_EXISTING;
        return mustExist || errno != ENOENT ? ErrorFromErrno(errno, request.path) : ERROR_SUCCESS;
    }
    if (request.disposition == CREATE_NEW)
        return ERROR_FILE_EXISTS;
    if (S_ISDIR(info.st_mode))
        return ERROR_ACCESS_DENIED;
    bool writes = (request.access & GENERIC_WRITE) || Truncates(request.disposition);
    if (writes && IsReadOnlyMode(info.st_mode))
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

int OpenFlags(const OpenRequest& request) {
    bool reads = (request.access & GENERIC_READ) != 0;
    // Truncation needs a writable descriptor even when the caller asked only to read.
    bool writes = (request.access & GENERIC_WRITE) || Truncates(request.disposition);
    // Win32 never waits for the other end of a pipe; O_NONBLOCK keeps open(2)
    // from doing so on a FIFO and is cleared once the descriptor exists.
    int flags = O_CLOEXEC | O_NONBLOCK | (writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY);
    if (request.disposition == CREATE_NEW)
        flags |= O_CREAT | O_EXCL;
    else if (request.disposition == CREATE_ALWAYS || request.disposition == OPEN_ALWAYS)
        flags |= O_CREAT;
    return flags;
}

// Opens the descriptor; a new file with the read-only attribute gets no write
// bits, yet this first handle may still write, as on Win32.
int OpenDescriptor(const OpenRequest& request, DWORD* error) {
    mode_t mode = request.readOnlyAttribute ? 0444 : 0666;
    int fd;
    do {
        fd = open(request.path.c_str(), OpenFlags(request), mode);
    } while (fd < 0 && errno == EINTR);
    *error = fd < 0 ? ErrorFromErrno(errno, request.path) : ERROR_SUCCESS;
    if (fd >= 0)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Success leaves ERROR_ALREADY_EXISTS behind when an "always" disposition met
// an existing file, and no error otherwise.
void SetOpenResult(const OpenRequest& request) {
    bool always = request.disposition == CREATE_ALWAYS || request.disposition == OPEN_ALWAYS;
    SetLastError(always && request.existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
}

}  // namespace

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD attributes, HANDLE) {
    if (!name || !name[0])
        return FailOpen(ERROR_PATH_NOT_FOUND);
    OpenRequest request{NativePath(name), access, disposition, (attributes & FILE_ATTRIBUTE_READONLY) != 0, false};
    DWORD error = CheckBeforeOpening(request);
    if (error != ERROR_SUCCESS)
        return FailOpen(error);
    int fd = OpenDescriptor(request, &error);
    if (fd < 0)
        return FailOpen(error);
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        return FailOpen(ERROR_ACCESS_DENIED);
    }
    auto object = std::make_unique<FileObject>(fd, access, share, info.st_dev, info.st_ino);
    // Share modes are settled before truncating, so a refused open leaves the file as it was.
    HANDLE handle = HandleTable::Instance().Add(std::move(object), &error);
    if (!handle)
        return FailOpen(error);
    if (Truncates(disposition) && request.existed && ftruncate(fd, 0) != 0) {
        error = ErrorFromErrno(errno, request.path);
        CloseHandle(handle);
        return FailOpen(error);
    }
    SetOpenResult(request);
    return handle;
}

BOOL CloseHandle(HANDLE object) {
    if (!HandleTable::Instance().Remove(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR name) {
    if (!name || !name[0]) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    DWORD error = HandleTable::Instance().Unlink(NativePath(name));
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
