// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/win32/form_ui_port.h"

#include "extorra/win32/browse_for_folder_module.h"

#include <vector>

namespace extorra {

static_assert(Message_Ok_Only == MB_OK, "message style values are the platform's");
static_assert(Message_Information == MB_ICONINFORMATION, "message style values are the platform's");

namespace {

std::string Window_Text(HWND window) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

}  // namespace

std::string Form_Ui_Port::Initial_Extension_Text() { return Window_Text(m_controls.initial_extension); }

std::string Form_Ui_Port::New_Extension_Text() { return Window_Text(m_controls.new_extension); }

bool Form_Ui_Port::Use_Recursion() {
    return SendMessageA(m_controls.use_recursion, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string Form_Ui_Port::Browse_For_Folder(const std::string& title) {
    return extorra::Browse_For_Folder(m_controls.form, title);
}

void Form_Ui_Port::Show_Message(const std::string& prompt, Message_Style style, const std::string& title) {
    MessageBoxA(m_controls.form, prompt.c_str(), title.c_str(), style);
}

}  // namespace extorra
