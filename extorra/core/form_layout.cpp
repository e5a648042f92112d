// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/form_layout.h"

#include <cstdint>

namespace extorra {

const std::array<Control_Layout, 6>& Rename_Form_Controls() {
    static const std::array<Control_Layout, 6> controls{{
        {"Rename_Folder_Button", Control_Kind::Command_Button, "Rename All Files in a Folder",
         {180, 1500, 2295, 375}, false, 0, Rename_Folder_Button_Id},
        {"Extensions_Frame", Control_Kind::Frame, "Extensions", {180, 60, 2295, 795}, false, 1,
         Extensions_Frame_Id},
        {"Initial_Extension_Text", Control_Kind::Text_Box, "qrb", {360, 300, 555, 345}, true, 2,
         Initial_Extension_Text_Id},
        {"New_Extension_Text", Control_Kind::Text_Box, "zem", {1440, 300, 555, 345}, true, 3,
         New_Extension_Text_Id},
        {"To_Lbl", Control_Kind::Label, "to", {960, 360, 375, 255}, true, 4, To_Lbl_Id},
        {"Use_Recursion_Check", Control_Kind::Check_Box, "Use Recursion", {720, 1020, 1395, 255}, false, 5,
         Use_Recursion_Check_Id},
    }};
    return controls;
}

int Twips_To_Pixels(int twips, int dpi) {
    std::int64_t scaled = static_cast<std::int64_t>(twips) * dpi;
    std::int64_t half = Twips_Per_Inch / 2;
    std::int64_t rounded = scaled >= 0 ? (scaled + half) / Twips_Per_Inch : -((-scaled + half) / Twips_Per_Inch);
    return static_cast<int>(rounded);
}

}  // namespace extorra
