// SPDX-License-Identifier: BSD-3-Clause
// The two file-system operations the renamer needs, behind small interfaces so
// that the search and the run work the same against the real platform and
// against a folder tree held in memory.
#pragma once

#include <memory>
#include <string>

namespace extorra {

struct Folder_Entry {
    std::string name;
    bool is_directory = false;
};

// One open listing of a folder; closing happens when it is destroyed.
class Folder_Listing {
public:
    virtual ~Folder_Listing() = default;
    // The next entry in the platform's order; false when there is none left.
    virtual bool Next(Folder_Entry& entry) = 0;
};

class Folder_Lister {
public:
    virtual ~Folder_Lister() = default;
    // Lists every entry of `folder` (given with its trailing backslash),
    // hidden and system ones included; none when it cannot be listed.
    virtual std::unique_ptr<Folder_Listing> Open(const std::string& folder) = 0;
};

class File_Mover {
public:
    virtual ~File_Mover() = default;
    // Renames `from` to `to`; false, and nothing changed, when it cannot,
    // in particular when another file already has the name `to`.
    virtual bool Move(const std::string& from, const std::string& to) = 0;
};

}  // namespace extorra
