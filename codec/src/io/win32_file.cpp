// SPDX-License-Identifier: BSD-3-Clause
#include "io/win32_file.h"

#include "container/codec_error.h"

#include <string>

namespace zem {

CWin32File::CWin32File() : m_handle(INVALID_HANDLE_VALUE), m_name{0}, m_readOnly(0), m_position(-1) {}

CWin32File::~CWin32File() {
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
}

// A name that does not fit the stored buffer is refused before the platform
// sees it, and the previous name is dropped so that a later Delete cannot
// remove a file this object no longer stands for.
bool CWin32File::AcceptName(const WCHAR* name) {
    if (name && std::char_traits<WCHAR>::length(name) < kMaxPathChars)
        return true;
    m_name[0] = 0;
    return false;
}

int CWin32File::Open(const WCHAR* name) {
    Close();
    if (!AcceptName(name))
        return -1;
    int readOnly = 0;
    HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        readOnly = 1;
        handle = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return -1;
    }
    Opened(handle, name, readOnly);
    return 0;
}

void CWin32File::Opened(HANDLE handle, const WCHAR* name, int readOnly) {
    m_handle = handle;
    m_readOnly = readOnly;
    m_position = 0;
    std::char_traits<WCHAR>::copy(m_name, name, std::char_traits<WCHAR>::length(name) + 1);
}

int CWin32File::OpenForReading(const WCHAR* name) {
    Close();
    if (!AcceptName(name))
        return -1;
    HANDLE handle = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return -1;
    }
    Opened(handle, name, 1);
    return 0;
}

int CWin32File::Close() {
    if (m_handle != INVALID_HANDLE_VALUE) {
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
    m_position = -1;
    return 0;
}

int CWin32File::Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) {
    int32_t total = 0;
    BOOL ok = TRUE;
    while (total < bytesToRead) {
        DWORD got = 0;
        ok = ReadFile(m_handle, static_cast<unsigned char*>(buffer) + total, static_cast<DWORD>(bytesToRead - total),
                      &got, nullptr);
        if (!ok || got == 0)
            break;
        total += static_cast<int32_t>(got);
    }
    if (bytesRead)
        *bytesRead = total;
    m_position = ok && m_position >= 0 ? m_position + total : -1;
    return ok ? CODEC_OK : CODEC_READ_FAILED;
}

int CWin32File::Write(const void* buffer, int32_t bytesToWrite, int32_t* bytesWritten) {
    DWORD written = 0;
    // A negative count would reach the platform as a huge unsigned one.
    BOOL ok = bytesToWrite >= 0 &&
              WriteFile(m_handle, buffer, static_cast<DWORD>(bytesToWrite), &written, nullptr);
    if (bytesWritten)
        *bytesWritten = static_cast<int32_t>(written);
    m_position = ok && m_position >= 0 ? m_position + written : -1;
    return ok && written == static_cast<DWORD>(bytesToWrite) ? CODEC_OK : CODEC_WRITE_FAILED;
}

int CWin32File::Seek(int32_t distance, int origin) {
    DWORD position = SetFilePointer(m_handle, distance, nullptr, static_cast<DWORD>(origin));
    // A failed seek leaves the pointer where it was, which is still known.
    if (position != INVALID_SET_FILE_POINTER)
        m_position = position;
    return 0;
}

int CWin32File::Create(const WCHAR* name) {
    Close();
    if (!AcceptName(name))
        return -1;
    HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    Opened(handle, name, 0);
    return 0;
}

int CWin32File::Delete() {
    Close();
    return DeleteFileW(m_name) ? 0 : -1;
}

int CWin32File::SetEof() { return SetEndOfFile(m_handle) ? 0 : -1; }

int32_t CWin32File::GetPosition() {
    if (m_position >= 0)
        return static_cast<int32_t>(static_cast<DWORD>(m_position));
    DWORD position = SetFilePointer(m_handle, 0, nullptr, FILE_CURRENT);
    if (position == INVALID_SET_FILE_POINTER)
        return -1;
    m_position = position;
    return static_cast<int32_t>(position);
}

int32_t CWin32File::GetSize() {
    DWORD size = GetFileSize(m_handle, nullptr);
    return size == INVALID_FILE_SIZE ? -1 : static_cast<int32_t>(size);
}

int CWin32File::GetName(WCHAR* buffer) {
    std::char_traits<WCHAR>::copy(buffer, m_name, std::char_traits<WCHAR>::length(m_name) + 1);
    return 0;
}

}  // namespace zem
