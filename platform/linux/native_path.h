// SPDX-License-Identifier: BSD-3-Clause
// From Win32 names and errors to POSIX ones, for the file calls of the stand-in layer.
#pragma once

#include "platform/linux/win32_linux.h"

#include <string>
#include <sys/stat.h>

namespace zem::win32_linux {

// The UTF-8 path for a UTF-16 name, backslashes turned into '/'. A raw
// byte's escape (platform/paths.h) becomes that byte; any other lone
// surrogate, which no UTF-8 name can hold, becomes U+FFFD.
std::string NativePath(LPCWSTR name);

// The Win32 error for an errno value of a call on `path`. A missing file in a
// folder that exists is ERROR_FILE_NOT_FOUND; a missing folder on the way is
// ERROR_PATH_NOT_FOUND, as Win32 tells them apart.
DWORD ErrorFromErrno(int error, const std::string& path);

// Win32's read-only attribute: a file nobody may write. Checked by hand
// because root bypasses the permission bits.
inline bool IsReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

}  // namespace zem::win32_linux
