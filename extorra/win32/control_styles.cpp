// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/win32/control_styles.h"

namespace extorra {

namespace {
constexpr DWORD Child = WS_CHILD | WS_VISIBLE;
}  // namespace

Control_Class Class_Of(Control_Kind kind) {
    switch (kind) {
    case Control_Kind::Command_Button:
        return {"BUTTON", Child | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case Control_Kind::Frame:
        // The controls inside the frame are its children; tabbing reaches
        // them only when the frame declares itself a control parent.
        return {"BUTTON", Child | WS_CLIPCHILDREN | BS_GROUPBOX, WS_EX_CONTROLPARENT};
    case Control_Kind::Text_Box:
        return {"EDIT", Child | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case Control_Kind::Label:
        return {"STATIC", Child | SS_LEFT, 0};
    case Control_Kind::Check_Box:
        return {"BUTTON", Child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    }
    return {"STATIC", Child, 0};
}

}  // namespace extorra
