// SPDX-License-Identifier: BSD-3-Clause
// PathwickHost: a small resizable window that embeds the Explorer control
// through COM, as any ActiveX container would, and lets a user try it.
#include "control_site.h"

#include <commctrl.h>

namespace {

const wchar_t* const HostClass = L"PathwickHostWindow";
const wchar_t* const HostTitle = L"Pathwick Host";
const wchar_t* const ControlProgId = L"PathwickControl.Explorer";

pathwick_host::ControlSite* gSite = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (gSite) gSite->Resize();
        return 0;
    case WM_CLOSE:
        if (gSite) {
            gSite->CallMethod(L"Terminate");  // the control saves its settings and lets go of itself
            gSite->Close();
        }
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateHostWindow(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = HostClass;
    if (!RegisterClassExW(&windowClass)) return nullptr;
    return CreateWindowExW(0, HostClass, HostTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                           620, 440, nullptr, nullptr, instance, nullptr);
}

int RunMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (gSite && gSite->TranslateKey(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND window = CreateHostWindow(instance);
    if (!window) return 1;
    pathwick_host::ControlSite site(window);
    gSite = &site;
    HRESULT status = site.Embed(ControlProgId);
    if (FAILED(status)) {
        wchar_t text[160];
        wsprintfW(text, L"The Explorer control could not be created (0x%08X). Register Pathwick.dll first.",
                  static_cast<unsigned>(status));
        MessageBoxW(window, text, HostTitle, MB_ICONERROR);
        site.Close();
        DestroyWindow(window);
        OleUninitialize();
        return 2;
    }
    ShowWindow(window, show);
    site.Resize();
    int result = RunMessageLoop();
    gSite = nullptr;
    OleUninitialize();
    return result;
}
