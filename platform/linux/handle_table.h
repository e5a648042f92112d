// SPDX-License-Identifier: BSD-3-Clause
// The process-wide table of open file handles. A HANDLE is the address of a
// FileObject; the table tells live handles from stale or made-up ones and
// enforces the share modes of all handles open on one file, as Win32 does.
// This is the one piece of global state of the stand-in layer: share modes
// are a property of the whole process, so they cannot live anywhere smaller.
#pragma once

#include "platform/linux/win32_linux.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace zem::win32_linux {

struct FileObject {
    FileObject(int descriptor, DWORD accessMask, DWORD shareMask, dev_t deviceId, ino_t inodeId)
        : fd(descriptor), access(accessMask), share(shareMask), device(deviceId), inode(inodeId) {}
    ~FileObject();
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    bool CanRead() const { return (access & GENERIC_READ) != 0; }
    bool CanWrite() const { return (access & GENERIC_WRITE) != 0; }

    int fd;
    DWORD access;  // GENERIC_READ / GENERIC_WRITE as asked for
    DWORD share;   // FILE_SHARE_* as granted to others
    dev_t device;
    ino_t inode;
};

class HandleTable {
public:
    static HandleTable& Instance();

    // Adds `object` unless its access or share mode clashes with a handle
    // already open on the same file; then returns nullptr and sets `*error`.
    HANDLE Add(std::unique_ptr<FileObject> object, DWORD* error);
    // The object behind a live handle, or nullptr. The object stays alive
    // while the caller holds it, even if another thread closes the handle.
    std::shared_ptr<FileObject> Find(HANDLE handle);
    // Takes a handle out of the table; false when it was not live.
    bool Remove(HANDLE handle);
    // Unlinks `path` unless a handle open on it withholds delete sharing.
    // Returns ERROR_SUCCESS or the Win32 error.
    DWORD Unlink(const std::string& path);

private:
    HandleTable() = default;
    bool Clashes(const FileObject& candidate) const;

    std::mutex m_mutex;
    std::map<HANDLE, std::shared_ptr<FileObject>> m_handles;
};

}  // namespace zem::win32_linux
