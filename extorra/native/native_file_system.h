// SPDX-License-Identifier: BSD-3-Clause
// The platform's own folder listing and renaming: the Win32 calls on Windows,
// POSIX calls on Linux (where the renamer's core is tested natively).
#pragma once

#include "extorra/core/file_system_ports.h"

namespace extorra {

// On Linux, paths are taken in the renamer's own form (backslash-separated)
// and every backslash is read as a slash; symbolic links are never entered
// as folders, so a link cycle cannot make a search run forever.
class Native_Folder_Lister : public Folder_Lister {
public:
    std::unique_ptr<Folder_Listing> Open(const std::string& folder) override;
};

// Refuses to replace an existing file, as the Win32 rename does. Giving a
// file another spelling of its own name (a change of case) is allowed.
class Native_File_Mover : public File_Mover {
public:
    bool Move(const std::string& from, const std::string& to) override;
};

}  // namespace extorra
