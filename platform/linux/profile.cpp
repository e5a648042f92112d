// SPDX-License-Identifier: BSD-3-Clause
// GetPrivateProfileStringW and WritePrivateProfileStringW on INI files, with
// the counts, truncation and defaults of Win32.
#include "platform/linux/native_path.h"
#include "platform/linux/profile_document.h"
#include "platform/linux/win32_linux.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

using namespace zem::win32_linux;

namespace {

// INI files are small; anything larger is not read, so a stray huge file
// cannot make us allocate without bound.
constexpr off_t kMaxProfileBytes = 16 * 1024 * 1024;

// Win32 serialises profile access within a process; so do we, so that two
// threads updating one file do not lose each other's change.
std::mutex& ProfileLock() {
    static std::mutex lock;
    return lock;
}

DWORD ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ErrorFromErrno(errno, path);
    struct stat info;
    DWORD error = ERROR_SUCCESS;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))
        error = ERROR_ACCESS_DENIED;
    else if (info.st_size > kMaxProfileBytes)
        error = ERROR_GEN_FAILURE;
    else
        bytes->resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (error == ERROR_SUCCESS && done < bytes->size()) {
        ssize_t got = read(fd, bytes->data() + done, bytes->size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error = ErrorFromErrno(errno, path);
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    bytes->resize(done);
    close(fd);
    return error;
}

DWORD WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && (S_ISDIR(info.st_mode) || IsReadOnlyMode(info.st_mode)))
        return ERROR_ACCESS_DENIED;
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return ErrorFromErrno(errno, path);
    DWORD error = ERROR_SUCCESS;
    for (size_t done = 0; done < bytes.size();) {
        ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            error = put < 0 ? ErrorFromErrno(errno, path) : ERROR_DISK_FULL;
            break;
        }
        done += static_cast<size_t>(put);
    }
    if (close(fd) != 0 && error == ERROR_SUCCESS)
        error = ErrorFromErrno(errno, path);
    return error;
}

// Copies one string, cut to the buffer; returns the characters copied.
DWORD CopyString(const WString& text, LPWSTR buffer, DWORD size) {
    size_t count = std::min<size_t>(text.size(), size - 1);
    text.copy(buffer, count);
    buffer[count] = 0;
    return static_cast<DWORD>(count);
}

// Copies names as a list of NUL-terminated strings closed by one more NUL.
// When the list does not fit, the last string that fits in part is cut, two
// NULs end the buffer and the result is size - 2.
DWORD CopyList(const std::vector<WString>& names, LPWSTR buffer, DWORD size) {
    if (size < 2) {
        buffer[0] = 0;
        return 0;
    }
    size_t position = 0;
    for (const WString& name : names) {
        if (position + name.size() + 1 > size - 1) {
            size_t room = size - 2 > position ? size - 2 - position : 0;
            name.copy(buffer + position, std::min(room, name.size()));
            buffer[size - 2] = 0;
            buffer[size - 1] = 0;
            return size - 2;
        }
        name.copy(buffer + position, name.size());
        position += name.size();
        buffer[position++] = 0;
    }
    buffer[position] = 0;
    return static_cast<DWORD>(position);
}

// A value wrapped in a pair of the same quotes loses them.
WString Unquote(const WString& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

WString DefaultValue(LPCWSTR defaultValue) {
    WString text = defaultValue ? defaultValue : WTXT("");
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

}  // namespace

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR fileName) {
    if (!buffer || size == 0)
        return 0;
    std::vector<uint8_t> bytes;
    DWORD error = ERROR_FILE_NOT_FOUND;
    if (fileName && fileName[0]) {
        std::lock_guard<std::mutex> lock(ProfileLock());
        error = ReadWholeFile(NativePath(fileName), &bytes);
    }
    ProfileDocument document = ProfileDocument::Parse(bytes);
    SetLastError(error);
    if (!section)
        return CopyList(document.SectionNames(), buffer, size);
    WString fallback = Unquote(DefaultValue(defaultValue));
    if (!key) {
        std::vector<WString> names;
        if (document.KeyNames(section, &names) && !names.empty())
            return CopyList(names, buffer, size);
        return CopyString(fallback, buffer, size);
    }
    WString value;
    bool found = document.FindValue(section, key, &value);
    return CopyString(found ? Unquote(value) : fallback, buffer, size);
}

BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName) {
    if (!section && !key && !value)
        return TRUE;  // the cache flush: we keep no cache
    if (!section || !fileName || !fileName[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = NativePath(fileName);
    std::lock_guard<std::mutex> lock(ProfileLock());
    std::vector<uint8_t> bytes;
    DWORD error = ReadWholeFile(path, &bytes);
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
        SetLastError(error);
        return FALSE;
    }
    ProfileDocument document = ProfileDocument::Parse(bytes);
    bool changed = !key ? document.DeleteSection(section)
                   : !value ? document.DeleteKey(section, key)
                            : document.SetValue(section, key, value);
    // Deleting what is not there leaves the file alone, and creates no file.
    if (changed) {
        error = WriteWholeFile(path, document.Serialize());
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return FALSE;
        }
    }
    return TRUE;
}
