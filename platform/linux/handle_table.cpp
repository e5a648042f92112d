// SPDX-License-Identifier: BSD-3-Clause
#include "platform/linux/handle_table.h"

#include "platform/linux/native_path.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace zem::win32_linux {

namespace {

bool Reads(DWORD access) { return (access & GENERIC_READ) != 0; }
bool Writes(DWORD access) { return (access & GENERIC_WRITE) != 0; }

// Whether a handle with access `access` may be open beside one that shares `share`.
bool Permits(DWORD share, DWORD access) {
    return (!Reads(access) || (share & FILE_SHARE_READ)) && (!Writes(access) || (share & FILE_SHARE_WRITE));
}

}  // namespace

FileObject::~FileObject() {
    if (fd >= 0)
        close(fd);
}

HandleTable& HandleTable::Instance() {
    static HandleTable table;
    return table;
}

// Both sides must agree: the new handle's access must be shared by every open
// handle, and every open handle's access must be shared by the new one.
bool HandleTable::Clashes(const FileObject& candidate) const {
    for (const auto& entry : m_handles) {
        const FileObject& open = *entry.second;
        if (open.device != candidate.device || open.inode != candidate.inode)
            continue;
        if (!Permits(open.share, candidate.access) || !Permits(candidate.share, open.access))
            return true;
    }
    return false;
}

HANDLE HandleTable::Add(std::unique_ptr<FileObject> object, DWORD* error) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Clashes(*object)) {
        *error = ERROR_SHARING_VIOLATION;
        return nullptr;
    }
    HANDLE handle = object.get();
    m_handles.emplace(handle, std::shared_ptr<FileObject>(std::move(object)));
    *error = ERROR_SUCCESS;
    return handle;
}

std::shared_ptr<FileObject> HandleTable::Find(HANDLE handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_handles.find(handle);
    return found == m_handles.end() ? nullptr : found->second;
}

bool HandleTable::Remove(HANDLE handle) {
    std::shared_ptr<FileObject> removed;  // closed outside the lock
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_handles.find(handle);
    if (found == m_handles.end())
        return false;
    removed = std::move(found->second);
    m_handles.erase(found);
    return true;
}

DWORD HandleTable::Unlink(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return ErrorFromErrno(errno, path);
    if (S_ISDIR(info.st_mode) || IsReadOnlyMode(info.st_mode))
        return ERROR_ACCESS_DENIED;
    for (const auto& entry : m_handles) {
        const FileObject& open = *entry.second;
        if (open.device == info.st_dev && open.inode == info.st_ino && !(open.share & FILE_SHARE_DELETE))
            return ERROR_SHARING_VIOLATION;
    }
    if (unlink(path.c_str()) != 0)
        return ErrorFromErrno(errno, path);
    return ERROR_SUCCESS;
}

}  // namespace zem::win32_linux
