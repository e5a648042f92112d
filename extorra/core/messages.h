// SPDX-License-Identifier: BSD-3-Clause
// The fixed texts of every message box the renamer shows, and their styles.
#pragma once

#include <string>

namespace extorra {

constexpr const char* Program_Title = "Extorra";
constexpr const char* Finished_Title = "Finished...";
constexpr const char* Chooser_Title = "Choose Folder";

constexpr const char* Invalid_Initial_Extension_Text = "Invalid Initial Extension (wrong length)";
constexpr const char* Invalid_New_Extension_Text = "Invalid New Extension (wrong length)";
constexpr const char* All_Files_Renamed_Text = "All Files Renamed.";

// Message box styles by their platform values: an OK button alone, or an OK
// button with the information icon.
enum Message_Style : unsigned {
    Message_Ok_Only = 0,
    Message_Information = 64,
};

// "Error renaming '<old full path>'."
std::string Error_Renaming_Text(const std::string& old_path);

}  // namespace extorra
