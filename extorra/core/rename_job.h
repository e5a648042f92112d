// SPDX-License-Identifier: BSD-3-Clause
// The whole run behind the "Rename All Files in a Folder" button, written
// against small ports so that it runs the same with or without a window.
#pragma once

#include "extorra/core/file_system_ports.h"
#include "extorra/core/match_list.h"
#include "extorra/core/messages.h"

#include <cstddef>
#include <string>

namespace extorra {

// What the run needs of the window it belongs to.
class Rename_Ui_Port {
public:
    virtual ~Rename_Ui_Port() = default;
    virtual std::string Initial_Extension_Text() = 0;
    virtual std::string New_Extension_Text() = 0;
    virtual bool Use_Recursion() = 0;
    // The chosen folder's path ending in a backslash, or empty when the user
    // cancelled or chose something that is no file-system folder.
    virtual std::string Browse_For_Folder(const std::string& title) = 0;
    // Shows a message and returns once the user has closed it.
    virtual void Show_Message(const std::string& prompt, Message_Style style, const std::string& title) = 0;
};

// Validates both extensions, asks for a folder, renames every match and
// reports. When a search fills the list, the run renames that batch and
// searches again, passing over every file it has already renamed or failed
// to rename, until a search comes back complete or a batch renames nothing.
void Run_Rename_Job(Rename_Ui_Port& ui, Folder_Lister& lister, File_Mover& mover,
                    std::size_t capacity = Match_List_Capacity);

}  // namespace extorra
