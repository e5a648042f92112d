// SPDX-License-Identifier: BSD-3-Clause
#include "tests/extorra/extorra_fakes.h"

#include <algorithm>

namespace extorra_test {

namespace {

// "C:\a\b.qrb" -> parent "C:\a\", name "b.qrb"; "C:\a\" -> parent "C:\", name "a".
void Split_Path(const std::string& path, std::string& parent, std::string& name) {
    std::string trimmed = path;
    if (!trimmed.empty() && trimmed.back() == '\\')
        trimmed.pop_back();
    std::size_t cut = trimmed.rfind('\\');
    parent = cut == std::string::npos ? std::string() : trimmed.substr(0, cut + 1);
    name = cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
}

std::string As_Folder_Key(std::string path) {
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

class Memory_Listing : public extorra::Folder_Listing {
public:
    explicit Memory_Listing(std::vector<extorra::Folder_Entry> entries) : m_entries(std::move(entries)) {}
    bool Next(extorra::Folder_Entry& entry) override {
        if (m_next >= m_entries.size())
            return false;
        entry = m_entries[m_next++];
        return true;
    }

private:
    std::vector<extorra::Folder_Entry> m_entries;
    std::size_t m_next = 0;
};

}  // namespace

void Memory_File_System::Add_Entry(const std::string& path, bool is_directory) {
    std::string parent, name;
    Split_Path(path, parent, name);
    if (parent.empty())
        return;  // a drive root
    if (m_folders.count(parent) == 0)
        Add_Folder(parent);
    Folder& folder = m_folders[parent];
    if (folder.index.count(name) != 0)
        return;
    folder.index[name] = folder.entries.size();
    folder.entries.push_back({name, is_directory});
}

void Memory_File_System::Add_Folder(const std::string& path) {
    std::string key = As_Folder_Key(path);
    if (m_folders.count(key) != 0)
        return;
    m_folders[key];
    Add_Entry(key, true);
}

void Memory_File_System::Add_File(const std::string& path) { Add_Entry(path, false); }

void Memory_File_System::Lock_Folder(const std::string& path) { m_locked.insert(As_Folder_Key(path)); }

bool Memory_File_System::Has_File(const std::string& path) const {
    std::string parent, name;
    Split_Path(path, parent, name);
    auto folder = m_folders.find(parent);
    if (folder == m_folders.end())
        return false;
    auto found = folder->second.index.find(name);
    return found != folder->second.index.end() && !folder->second.entries[found->second].is_directory;
}

std::vector<std::string> Memory_File_System::All_Files() const {
    std::vector<std::string> files;
    for (const auto& [key, folder] : m_folders) {
        for (const auto& entry : folder.entries) {
            if (!entry.is_directory)
                files.push_back(key + entry.name);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::unique_ptr<extorra::Folder_Listing> Memory_File_System::Open(const std::string& folder) {
    auto found = m_folders.find(folder);
    if (found == m_folders.end() || m_locked.count(folder) != 0)
        return nullptr;
    ++m_listings_opened;
    std::vector<extorra::Folder_Entry> entries{{".", true}, {"..", true}};
    entries.insert(entries.end(), found->second.entries.begin(), found->second.entries.end());
    return std::make_unique<Memory_Listing>(std::move(entries));
}

bool Memory_File_System::Move(const std::string& from, const std::string& to) {
    ++m_moves_tried;
    if (m_fail_all || m_failing.count(from) != 0 || !Has_File(from))
        return false;
    if (from == to || m_keep_names)
        return true;  // a file given its own name again
    std::string from_parent, from_name, to_parent, to_name;
    Split_Path(from, from_parent, from_name);
    Split_Path(to, to_parent, to_name);
    Folder& folder = m_folders[from_parent];
    if (to_parent != from_parent || folder.index.count(to_name) != 0)
        return false;
    std::size_t position = folder.index[from_name];
    folder.index.erase(from_name);
    folder.index[to_name] = position;
    folder.entries[position].name = to_name;
    return true;
}

std::string Scripted_Ui::Browse_For_Folder(const std::string& title) {
    ++chooser_opened;
    chooser_title = title;
    return chosen_folder;
}

void Scripted_Ui::Show_Message(const std::string& prompt, extorra::Message_Style style, const std::string& title) {
    messages.push_back({prompt, style, title});
}

std::vector<std::string> Scripted_Ui::Prompts() const {
    std::vector<std::string> prompts;
    for (const auto& message : messages)
        prompts.push_back(message.prompt);
    return prompts;
}

}  // namespace extorra_test
