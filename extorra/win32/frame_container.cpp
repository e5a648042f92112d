// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/win32/frame_container.h"

namespace extorra {

namespace {

constexpr const char* Original_Proc_Property = "Extorra.Frame.Original_Proc";

WNDPROC Original_Proc(HWND frame) { return reinterpret_cast<WNDPROC>(GetPropA(frame, Original_Proc_Property)); }

LRESULT CALLBACK Frame_Proc(HWND frame, UINT message, WPARAM wparam, LPARAM lparam) {
    WNDPROC original = Original_Proc(frame);
    switch (message) {
    case WM_ERASEBKGND: {
        RECT inside{};
        GetClientRect(frame, &inside);
        FillRect(reinterpret_cast<HDC>(wparam), &inside, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        return SendMessageA(GetParent(frame), message, wparam, lparam);
    case WM_NCDESTROY:
        SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(frame, Original_Proc_Property);
        break;
    default:
        break;
    }
    return CallWindowProcA(original, frame, message, wparam, lparam);
}

}  // namespace

void Make_Frame_Container(HWND frame) {
    if (frame == nullptr)
        return;
    LONG_PTR original = GetWindowLongPtrA(frame, GWLP_WNDPROC);
    SetPropA(frame, Original_Proc_Property, reinterpret_cast<HANDLE>(original));
    SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Frame_Proc));
}

}  // namespace extorra
