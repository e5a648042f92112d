// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/file_io_module.h"

#include "extorra/core/extension_rules.h"

#include <utility>

namespace extorra {

namespace {

struct Search {
    Folder_Lister& lister;
    Match_List& list;
    bool recurse;
    bool full_path;
    const std::string& pattern;
    const Entry_Set* passed_over;
};

std::string Up_To_First_Zero(const std::string& name) { return name.substr(0, name.find('\0')); }

bool Is_Passed_Over(const Search& search, const std::string& entry) {
    return search.passed_over != nullptr && search.passed_over->count(entry) != 0;
}

Search_Result Search_Folder(const Search& search, const std::string& folder);

Search_Result Visit_Entry(const Search& search, const std::string& folder, const Folder_Entry& found) {
    std::string name = Up_To_First_Zero(found.name);
    // An empty name would make the folder its own subfolder and never end.
    if (name.empty() || name == "." || name == "..")
        return Search_Result::Complete;
    if (found.is_directory) {
        if (!search.recurse)
            return Search_Result::Complete;
        return Search_Folder(search, folder + name + "\\");
    }
    if (!Matches_Extension(name, search.pattern))
        return Search_Result::Complete;
    std::string entry = search.full_path ? folder + name : name;
    if (Is_Passed_Over(search, entry))
        return Search_Result::Complete;
    return search.list.Append(std::move(entry)) ? Search_Result::Complete : Search_Result::List_Full;
}

Search_Result Search_Folder(const Search& search, const std::string& folder) {
    std::unique_ptr<Folder_Listing> listing = search.lister.Open(folder);
    if (!listing)
        return Search_Result::Complete;
    Folder_Entry found;
    while (listing->Next(found)) {
        if (Visit_Entry(search, folder, found) == Search_Result::List_Full)
            return Search_Result::List_Full;
    }
    return Search_Result::Complete;
}

}  // namespace

Search_Result Find_Files(Folder_Lister& lister, std::string folder, Match_List& list, bool recurse,
                         bool full_path, std::string extension, const Entry_Set* passed_over) {
    extension = Extension_Pattern(extension);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    const Search search{lister, list, recurse, full_path, extension, passed_over};
    return Search_Folder(search, folder);
}

}  // namespace extorra
