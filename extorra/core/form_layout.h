// SPDX-License-Identifier: BSD-3-Clause
// The window's controls as laid out at design time, in twips, and the
// conversion to the pixels of the display the window opens on.
#pragma once

#include <array>

namespace extorra {

enum class Control_Kind { Command_Button, Frame, Text_Box, Label, Check_Box };

struct Twips_Rect {
    int left;
    int top;
    int width;
    int height;
};

struct Control_Layout {
    const char* name;
    Control_Kind kind;
    const char* text;
    Twips_Rect position;  // relative to the frame for controls inside it
    bool in_frame;
    int tab_index;
    int id;  // child-window identifier
};

constexpr const char* Rename_Form_Caption = "Extorra (v1.0)";
constexpr int Rename_Form_Client_Width = 2655;   // twips
constexpr int Rename_Form_Client_Height = 2010;  // twips
constexpr int Twips_Per_Inch = 1440;

constexpr int Rename_Folder_Button_Id = 101;
constexpr int Extensions_Frame_Id = 102;
constexpr int Initial_Extension_Text_Id = 103;
constexpr int New_Extension_Text_Id = 104;
constexpr int To_Lbl_Id = 105;
constexpr int Use_Recursion_Check_Id = 106;

// Every control in tab order; creating them in this order gives that order.
const std::array<Control_Layout, 6>& Rename_Form_Controls();

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel
// (15 twips a pixel at 96).
int Twips_To_Pixels(int twips, int dpi);

}  // namespace extorra
