// SPDX-License-Identifier: BSD-3-Clause
// The native file calls on Windows.
#ifdef _WIN32
#include "tools/zemtool/native_file.h"

#include "tools/zemtool/file_names.h"
#include "tools/zemtool/utf_text.h"

#include <windows.h>

namespace zemtool {
namespace {

// The system's words for `error`, without the line end it ends with.
std::string Words(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string words = length ? Utf8FromWide(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                              words.back() == '.'))
        words.pop_back();
    return words;
}

bool Fail(std::string* why) {
    *why = Words(GetLastError());
    return false;
}

// A handle for looking at what `path` stands for, without reading or writing it.
HANDLE OpenToLook(const std::string& path) {
    return CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

NativeFile::~NativeFile() {
    if (IsOpen())
        CloseHandle(m_handle);
}

CreateResult NativeFile::CreateNew(const std::string& path, std::string* why) {
    // Delete sharing lets an interrupt handler remove the file while it is open.
    m_handle = CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (IsOpen())
        return CreateResult::Created;
    const DWORD error = GetLastError();
    *why = Words(error);
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? CreateResult::NameTaken
                                                                        : CreateResult::Failed;
}

bool NativeFile::OpenForWriting(const std::string& path, std::string* why) {
    m_handle = CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return IsOpen() || Fail(why);
}

bool NativeFile::Write(const void* bytes, size_t count, std::string* why) {
    const char* next = static_cast<const char*>(bytes);
    while (count > 0) {
        const DWORD chunk = count > (DWORD(1) << 30) ? (DWORD(1) << 30) : static_cast<DWORD>(count);
        DWORD done = 0;
        if (!WriteFile(m_handle, next, chunk, &done, nullptr))
            return Fail(why);
        if (done == 0) {
            SetLastError(ERROR_DISK_FULL);
            return Fail(why);
        }
        next += done;
        count -= done;
    }
    return true;
}

bool NativeFile::SeekTo(int64_t offset, std::string* why) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return SetFilePointerEx(m_handle, distance, nullptr, FILE_BEGIN) || Fail(why);
}

bool NativeFile::Close(std::string* why) {
    if (!IsOpen())
        return true;
    const BOOL closed = CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    return closed || Fail(why);
}

bool NativeFile::IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

bool RenameOver(const std::string& from, const std::string& to, std::string* why) {
    return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING) || Fail(why);
}

bool RemoveFile(const std::string& path) { return DeleteFileW(SystemPath(path).c_str()) != 0; }

PathKind KindOfPath(const std::string& path, std::string* why) {
    HANDLE handle = OpenToLook(path);
    if (handle == INVALID_HANDLE_VALUE) {
        Fail(why);
        return PathKind::Missing;
    }
    BY_HANDLE_FILE_INFORMATION info;
    PathKind kind = PathKind::Other;
    if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info))
        kind = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::Folder : PathKind::RegularFile;
    CloseHandle(handle);
    return kind;
}

bool SameFile(const std::string& a, const std::string& b) {
    HANDLE first = OpenToLook(a);
    HANDLE second = OpenToLook(b);
    BY_HANDLE_FILE_INFORMATION one, two;
    const bool same = first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE &&
                      GetFileInformationByHandle(first, &one) && GetFileInformationByHandle(second, &two) &&
                      one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
                      one.nFileIndexHigh == two.nFileIndexHigh && one.nFileIndexLow == two.nFileIndexLow;
    if (first != INVALID_HANDLE_VALUE)
        CloseHandle(first);
    if (second != INVALID_HANDLE_VALUE)
        CloseHandle(second);
    return same;
}

std::string WhyUnreadable(const std::string& path) {
    HANDLE handle = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Words(GetLastError());
    CloseHandle(handle);
    return {};
}

void RemoveFromHandler(const wchar_t* path) { DeleteFileW(path); }

}  // namespace zemtool
#endif
