// SPDX-License-Identifier: BSD-3-Clause
// The program's one window: two extension boxes in a frame, the recursion
// tick and the button that runs the whole job.
#pragma once

#include "extorra/core/form_layout.h"

#include <windows.h>

#include <array>

namespace extorra {

class Rename_Form {
public:
    explicit Rename_Form(HINSTANCE instance) : m_instance(instance) {}
    ~Rename_Form();
    Rename_Form(const Rename_Form&) = delete;
    Rename_Form& operator=(const Rename_Form&) = delete;

    // Registers the window class and opens the window with its start-up texts.
    bool Create(int show_command);
    // Runs until the window is closed; returns the exit code.
    int Run_Message_Loop();

private:
    static LRESULT CALLBACK Window_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Handle_Message(UINT message, WPARAM wparam, LPARAM lparam);

    bool Register_Class() const;
    void Read_Display_Resolution();
    void Create_Font();
    void Create_Controls();
    HWND Create_Control(const Control_Layout& layout, HWND parent);
    HWND Control(int id) const;
    void Keep_Focus(bool activated);
    void Rename_Folder_Button_Click();

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    HWND m_last_focus = nullptr;
    HFONT m_font = nullptr;
    int m_dpi_x = 96;
    int m_dpi_y = 96;
    std::array<HWND, 6> m_controls{};
};

}  // namespace extorra
