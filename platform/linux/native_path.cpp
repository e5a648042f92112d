// SPDX-License-Identifier: BSD-3-Clause
#include "platform/linux/native_path.h"

#include "platform/linux/utf8_codec.h"
#include "platform/paths.h"

#include <cerrno>

namespace zem::win32_linux {

namespace {

bool ParentFolderExists(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return true;
    std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    struct stat info;
    return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string NativePath(LPCWSTR name) {
    std::string path;
    size_t count = std::char_traits<WCHAR>::length(name);
    for (size_t i = 0; i < count;) {
        if (IsRawByteEscape(name[i])) {
            path += static_cast<char>(name[i] - kRawByteEscape);
            ++i;
            continue;
        }
        uint32_t codePoint;
        bool valid;
        i += DecodeUtf16(name + i, count - i, &codePoint, &valid);
        uint8_t bytes[4];
        size_t length = EncodeUtf8(codePoint == '\\' ? '/' : codePoint, bytes);
        path.append(reinterpret_cast<const char*>(bytes), length);
    }
    return path;
}

DWORD ErrorFromErrno(int error, const std::string& path) {
    switch (error) {
    case ENOENT:
        return ParentFolderExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_GEN_FAILURE;
    }
}

}  // namespace zem::win32_linux
