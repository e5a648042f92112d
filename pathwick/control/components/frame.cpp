// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/components/frame.h"

#include <windowsx.h>

namespace pathwick {

namespace {

const wchar_t* const FrameClass = L"PathwickFrame";

int ButtonsHeld(WPARAM keys) {
    return ((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) | ((keys & MK_MBUTTON) ? 4 : 0);
}

bool RegisterFrameClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = FrameClass;
    return RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

double TwipsPerPixelX() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return 1440.0 / (dpi > 0 ? dpi : 96);
}

bool Frame::Create(HWND parent, int id) {
    if (!RegisterFrameClass()) return false;
    m_window = CreateWindowExW(0, FrameClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 5, 10, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!m_window) return false;
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Frame::FrameProc));
    return true;
}

void Frame::Move(int left, int top, int width, int height) const {
    MoveWindow(m_window, left, top, width, height, TRUE);
}

int Frame::Left() const {
    RECT box{};
    GetWindowRect(m_window, &box);
    MapWindowPoints(HWND_DESKTOP, GetParent(m_window), reinterpret_cast<POINT*>(&box), 2);
    return box.left;
}

int Frame::Width() const {
    RECT box{};
    GetWindowRect(m_window, &box);
    return box.right - box.left;
}

void Frame::Report(const MouseHandler& handler, int button, LPARAM lParam) const {
    if (!handler) return;
    double twips = TwipsPerPixelX();
    // Signed: with the mouse captured the pointer can lie left of the bar.
    int x = static_cast<int>(GET_X_LPARAM(lParam) * twips);
    int y = static_cast<int>(GET_Y_LPARAM(lParam) * twips);
    handler(button, x, y);
}

LRESULT CALLBACK Frame::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* frame = reinterpret_cast<Frame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (frame) {
        switch (message) {
        case WM_LBUTTONDOWN: frame->Report(frame->OnMouseDown, 1, lParam); return 0;
        case WM_RBUTTONDOWN: frame->Report(frame->OnMouseDown, 2, lParam); return 0;
        case WM_MBUTTONDOWN: frame->Report(frame->OnMouseDown, 4, lParam); return 0;
        case WM_MOUSEMOVE: frame->Report(frame->OnMouseMove, ButtonsHeld(wParam), lParam); return 0;
        case WM_LBUTTONUP: frame->Report(frame->OnMouseUp, 1, lParam); return 0;
        case WM_RBUTTONUP: frame->Report(frame->OnMouseUp, 2, lParam); return 0;
        case WM_MBUTTONUP: frame->Report(frame->OnMouseUp, 4, lParam); return 0;
        case WM_NCDESTROY: frame->m_window = nullptr; break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace pathwick
