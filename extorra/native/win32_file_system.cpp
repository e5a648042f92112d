// SPDX-License-Identifier: BSD-3-Clause
// Folder listing with FindFirstFileA/FindNextFileA/FindClose, renaming with MoveFileA.
#include "extorra/native/native_file_system.h"

#include <windows.h>

#include <cstring>

namespace extorra {

namespace {

class Win32_Folder_Listing : public Folder_Listing {
public:
    Win32_Folder_Listing(HANDLE find, const WIN32_FIND_DATAA& first) : m_find(find), m_data(first) {}
    ~Win32_Folder_Listing() override { FindClose(m_find); }
    Win32_Folder_Listing(const Win32_Folder_Listing&) = delete;
    Win32_Folder_Listing& operator=(const Win32_Folder_Listing&) = delete;

    bool Next(Folder_Entry& entry) override {
        if (!m_has_current)
            return false;
        entry.name.assign(m_data.cFileName, strnlen(m_data.cFileName, MAX_PATH));
        entry.is_directory = (m_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        m_has_current = FindNextFileA(m_find, &m_data) != 0;
        return true;
    }

private:
    HANDLE m_find;
    WIN32_FIND_DATAA m_data;
    bool m_has_current = true;
};

}  // namespace

std::unique_ptr<Folder_Listing> Native_Folder_Lister::Open(const std::string& folder) {
    WIN32_FIND_DATAA first{};
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &first);
    if (find == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32_Folder_Listing>(find, first);
}

bool Native_File_Mover::Move(const std::string& from, const std::string& to) {
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

}  // namespace extorra
