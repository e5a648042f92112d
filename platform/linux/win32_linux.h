// SPDX-License-Identifier: BSD-3-Clause
// Linux stand-ins for the handful of Win32 calls that the portable code uses.
// Only the calls, flags and results that our code relies on exist here; values
// are those of the Windows headers so that code behaves the same on both targets.
#pragma once

#include <cstdint>

typedef char16_t WCHAR;
typedef const WCHAR* LPCWSTR;
typedef WCHAR* LPWSTR;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef int BOOL;
typedef unsigned char BYTE;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef int32_t LONG;
typedef LONG* PLONG;
typedef DWORD* LPDWORD;
typedef void* HANDLE;
typedef void* LPVOID;
typedef const void* LPCVOID;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define FILE_TYPE_UNKNOWN 0x0000u
#define FILE_TYPE_DISK 0x0001u
#define FILE_TYPE_CHAR 0x0002u
#define FILE_TYPE_PIPE 0x0003u
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

#define CP_ACP 0
#define CP_THREAD_ACP 3
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x00000001u
#define MB_COMPOSITE 0x00000002u
#define MB_ERR_INVALID_CHARS 0x00000008u
#define WC_ERR_INVALID_CHARS 0x00000080u
#define WC_NO_BEST_FIT_CHARS 0x00000400u

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_GEN_FAILURE 31
#define ERROR_SHARING_VIOLATION 32
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PARAMETER 87
#define ERROR_DISK_FULL 112
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_NEGATIVE_SEEK 131
#define ERROR_ALREADY_EXISTS 183
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_NOACCESS 998
#define ERROR_INVALID_FLAGS 1004
#define ERROR_NO_UNICODE_TRANSLATION 1113

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;

// Files. Names are UTF-16 and are converted to UTF-8 for the Linux file system;
// a backslash in a name is taken as a path separator. Share modes hold between
// the handles of one process (not against other processes). A file without
// any write permission counts as having the read-only attribute, for root too.
HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD attributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
// FILE_TYPE_DISK for a regular file, FILE_TYPE_CHAR for a device, FILE_TYPE_PIPE
// for a pipe or socket; FILE_TYPE_UNKNOWN (and an error) for a dead handle.
DWORD GetFileType(HANDLE file);
BOOL CloseHandle(HANDLE object);
BOOL DeleteFileW(LPCWSTR name);
// Renames a file; an existing target is replaced only with MOVEFILE_REPLACE_EXISTING.
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
DWORD GetLastError();
void SetLastError(DWORD error);

// Text. Code pages CP_ACP, CP_THREAD_ACP and 1252 are Windows-1252 (as Wine's
// default here); CP_UTF8 is UTF-8.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR wide, int wideChars);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideChars, LPSTR text, int bytes,
                        LPCSTR defaultChar, BOOL* usedDefault);

// INI files (the profile-string calls). Files are read as UTF-16LE or UTF-8
// when a byte-order mark says so, in the ANSI code page otherwise, and written
// back the same way; a relative file name is taken from the current folder.
DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer,
                               DWORD size, LPCWSTR fileName);
BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName);

// Yields the processor for at least `milliseconds`.
void Sleep(DWORD milliseconds);
