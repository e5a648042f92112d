// SPDX-License-Identifier: BSD-3-Clause
// MoveFileExW over rename(2), for putting a finished file in place.
#include "platform/linux/native_path.h"
#include "platform/linux/win32_linux.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

using namespace zem::win32_linux;

BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (!from || !from[0] || !to || !to[0]) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string source = NativePath(from);
    std::string target = NativePath(to);
    struct stat info;
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && stat(target.c_str(), &info) == 0) {
        SetLastError(ERROR_FILE_EXISTS);
        return FALSE;
    }
    if (std::rename(source.c_str(), target.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno, source));
        return FALSE;
    }
    return TRUE;
}
