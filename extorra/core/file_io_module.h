// SPDX-License-Identifier: BSD-3-Clause
// The file search: every file in a folder, and optionally in all its
// subfolders, whose name ends in a given extension.
#pragma once

#include "extorra/core/file_system_ports.h"
#include "extorra/core/match_list.h"

#include <string>
#include <unordered_set>

namespace extorra {

enum class Search_Result {
    Complete,   // every entry of the tree was looked at
    List_Full,  // stopped at a match the list had no room for
};

// Entries a search must pass over as if they did not match.
using Entry_Set = std::unordered_set<std::string>;

// Appends the matches, depth first in the listing's order, to `list`: the
// folder path with its trailing backslash and the name when `full_path` is
// set, else the name alone. Directories are never matches; with `recurse`
// their contents are searched. The folder gets a trailing backslash and the
// extension a leading dot and lower case before use.
Search_Result Find_Files(Folder_Lister& lister, std::string folder, Match_List& list, bool recurse,
                         bool full_path, std::string extension, const Entry_Set* passed_over = nullptr);

}  // namespace extorra
