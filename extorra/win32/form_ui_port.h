// SPDX-License-Identifier: BSD-3-Clause
// The run's view of the window: the boxes, the tick, the chooser and message boxes.
#pragma once

#include "extorra/core/rename_job.h"

#include <windows.h>

namespace extorra {

struct Form_Controls {
    HWND form;
    HWND initial_extension;
    HWND new_extension;
    HWND use_recursion;
};

class Form_Ui_Port : public Rename_Ui_Port {
public:
    explicit Form_Ui_Port(const Form_Controls& controls) : m_controls(controls) {}

    std::string Initial_Extension_Text() override;
    std::string New_Extension_Text() override;
    bool Use_Recursion() override;
    std::string Browse_For_Folder(const std::string& title) override;
    void Show_Message(const std::string& prompt, Message_Style style, const std::string& title) override;

private:
    Form_Controls m_controls;
};

}  // namespace extorra
