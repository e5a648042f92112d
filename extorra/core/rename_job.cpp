// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/rename_job.h"

#include "extorra/core/extension_rules.h"
#include "extorra/core/file_io_module.h"

namespace extorra {

namespace {

struct Rename_Request {
    std::string folder;
    std::string initial_extension;
    std::string new_extension;
    bool recurse = false;
};

bool Check_Lengths(Rename_Ui_Port& ui, const std::string& initial, const std::string& replacement) {
    if (!Has_Extension_Length(initial)) {
        ui.Show_Message(Invalid_Initial_Extension_Text, Message_Ok_Only, Program_Title);
        return false;
    }
    if (!Has_Extension_Length(replacement)) {
        ui.Show_Message(Invalid_New_Extension_Text, Message_Ok_Only, Program_Title);
        return false;
    }
    return true;
}

// Renames every entry of one batch and remembers each path it dealt with, so
// that a later search of the same run does not offer it again. After a rename
// both names are remembered: some file systems report a change of case as
// done yet keep the old spelling. Returns how many renames succeeded.
std::size_t Rename_Batch(Rename_Ui_Port& ui, File_Mover& mover, const Match_List& list,
                         const std::string& new_extension, Entry_Set& handled) {
    std::size_t renamed = 0;
    for (std::size_t index = 0; index < list.Size(); ++index) {
        const std::string& entry = list[index];
        if (entry.empty())
            continue;
        std::string target = Renamed_Path(entry, new_extension);
        bool moved = mover.Move(entry, target);
        handled.insert(entry);
        if (moved) {
            ++renamed;
            handled.insert(std::move(target));
        } else {
            ui.Show_Message(Error_Renaming_Text(entry), Message_Ok_Only, Program_Title);
        }
    }
    return renamed;
}

// Each further round starts only after a batch that renamed something, and
// a path once dealt with is never offered again, so the rounds end.
void Rename_All(Rename_Ui_Port& ui, Folder_Lister& lister, File_Mover& mover, const Rename_Request& request,
                std::size_t capacity) {
    Match_List list(capacity);
    Entry_Set handled;
    for (;;) {
        list.Reset();
        Search_Result result = Find_Files(lister, request.folder, list, request.recurse, true,
                                          "." + request.initial_extension, &handled);
        std::size_t renamed = Rename_Batch(ui, mover, list, request.new_extension, handled);
        if (result == Search_Result::Complete || renamed == 0)
            return;
    }
}

}  // namespace

void Run_Rename_Job(Rename_Ui_Port& ui, Folder_Lister& lister, File_Mover& mover, std::size_t capacity) {
    Rename_Request request;
    request.initial_extension = ui.Initial_Extension_Text();
    request.new_extension = ui.New_Extension_Text();
    if (!Check_Lengths(ui, request.initial_extension, request.new_extension))
        return;
    request.folder = ui.Browse_For_Folder(Chooser_Title);
    if (request.folder.empty())
        return;
    request.recurse = ui.Use_Recursion();
    Rename_All(ui, lister, mover, request, capacity);
    ui.Show_Message(All_Files_Renamed_Text, Message_Information, Finished_Title);
}

}  // namespace extorra
