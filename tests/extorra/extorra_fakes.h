// SPDX-License-Identifier: BSD-3-Clause
// In-memory stand-ins for the renamer's ports: a folder tree that lists in a
// fixed order and a window that answers from a script and records messages.
#pragma once

#include "extorra/core/file_system_ports.h"
#include "extorra/core/rename_job.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace extorra_test {

// Paths are Windows-style ("C:\music\a.qrb"); folders are keyed with their
// trailing backslash. Names are compared exactly, as on a case-sensitive
// file system. Listings give "." and ".." first, then the entries in the
// order they were added; a rename keeps an entry's place.
class Memory_File_System : public extorra::Folder_Lister, public extorra::File_Mover {
public:
    void Add_Folder(const std::string& path);
    void Add_File(const std::string& path);
    // Makes a folder refuse to be listed, as one without access rights does.
    void Lock_Folder(const std::string& path);
    // Makes every rename fail, or only those of one source path.
    void Fail_All_Moves() { m_fail_all = true; }
    void Fail_Move_Of(const std::string& path) { m_failing.insert(path); }
    // Makes renames report success yet leave every name as it was, as some
    // file systems do with a change of case.
    void Keep_Names_On_Move() { m_keep_names = true; }

    bool Has_File(const std::string& path) const;
    std::vector<std::string> All_Files() const;  // sorted full paths
    std::size_t Listings_Opened() const { return m_listings_opened; }
    std::size_t Moves_Tried() const { return m_moves_tried; }

    std::unique_ptr<extorra::Folder_Listing> Open(const std::string& folder) override;
    bool Move(const std::string& from, const std::string& to) override;

private:
    struct Folder {
        std::vector<extorra::Folder_Entry> entries;
        std::unordered_map<std::string, std::size_t> index;
    };
    void Add_Entry(const std::string& path, bool is_directory);

    std::unordered_map<std::string, Folder> m_folders;
    std::set<std::string> m_locked;
    std::set<std::string> m_failing;
    bool m_fail_all = false;
    bool m_keep_names = false;
    std::size_t m_listings_opened = 0;
    std::size_t m_moves_tried = 0;
};

struct Shown_Message {
    std::string prompt;
    extorra::Message_Style style;
    std::string title;
};

class Scripted_Ui : public extorra::Rename_Ui_Port {
public:
    std::string initial_extension = "qrb";
    std::string new_extension = "zem";
    bool use_recursion = false;
    std::string chosen_folder;  // empty: the user cancels

    std::vector<Shown_Message> messages;
    std::size_t chooser_opened = 0;
    std::string chooser_title;

    std::string Initial_Extension_Text() override { return initial_extension; }
    std::string New_Extension_Text() override { return new_extension; }
    bool Use_Recursion() override { return use_recursion; }
    std::string Browse_For_Folder(const std::string& title) override;
    void Show_Message(const std::string& prompt, extorra::Message_Style style, const std::string& title) override;

    std::vector<std::string> Prompts() const;
};

}  // namespace extorra_test
