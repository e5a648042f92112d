// SPDX-License-Identifier: BSD-3-Clause
// A second, independent container for the window test: the platform's own
// ActiveX hosting window class (AtlAxWin of atl.dll, loaded at run time)
// creates the Explorer control from its ProgID as the window text. The test
// drives the control through the window, and through its dispatch interface
// by two private messages:
//   WM_APP + 1   RefreshFileLists()
//   WM_APP + 2   SetHeaderIcons(wParam, lParam); the result is the values
//                handed back through the by-reference arguments (column * 16 + order)
// Closing the window calls Terminate() before the hosting window goes.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

namespace {

using AxWinInit = BOOL(WINAPI*)();
using AxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

const wchar_t* const FrameClass = L"PathwickAtlHostWindow";
HWND gHostWindow = nullptr;
AxGetControl gGetControl = nullptr;

HRESULT Call(const wchar_t* name, DISPPARAMS& parameters) {
    IUnknown* control = nullptr;
    if (!gGetControl || FAILED(gGetControl(gHostWindow, &control)) || !control) return E_FAIL;
    IDispatch* automation = nullptr;
    HRESULT status = control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&automation));
    control->Release();
    if (FAILED(status)) return status;
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    status = automation->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(status))
        status = automation->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr,
                                    nullptr);
    automation->Release();
    return status;
}

HRESULT CallWithoutArguments(const wchar_t* name) {
    DISPPARAMS none{};
    return Call(name, none);
}

LRESULT SetHeaderIcons(LONG column, LONG order) {
    VARIANT arguments[2];  // in reverse order, as dispatch wants them
    VariantInit(&arguments[0]);
    VariantInit(&arguments[1]);
    arguments[1].vt = VT_I4 | VT_BYREF;
    arguments[1].plVal = &column;
    arguments[0].vt = VT_I4 | VT_BYREF;
    arguments[0].plVal = &order;
    DISPPARAMS parameters = {arguments, nullptr, 2, 0};
    if (FAILED(Call(L"SetHeaderIcons", parameters))) return -1;
    return column * 16 + order;
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (gHostWindow) MoveWindow(gHostWindow, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_APP + 1:
        return SUCCEEDED(CallWithoutArguments(L"RefreshFileLists")) ? 1 : 0;
    case WM_APP + 2:
        return SetHeaderIcons(static_cast<LONG>(wParam), static_cast<LONG>(lParam));
    case WM_CLOSE:
        CallWithoutArguments(L"Terminate");
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateFrame(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FrameProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = FrameClass;
    if (!RegisterClassExW(&windowClass)) return nullptr;
    return CreateWindowExW(0, FrameClass, L"Pathwick ATL Host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 600,
                           400, nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    HMODULE atl = LoadLibraryW(L"atl.dll");
    auto init = atl ? reinterpret_cast<AxWinInit>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit"))) : nullptr;
    gGetControl =
        atl ? reinterpret_cast<AxGetControl>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl"))) : nullptr;
    if (!init || !gGetControl || !init()) return 3;
    HWND frame = CreateFrame(instance);
    if (!frame) return 4;
    RECT area{};
    GetClientRect(frame, &area);
    gHostWindow = CreateWindowExW(0, L"AtlAxWin", L"PathwickControl.Explorer", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                  0, 0, area.right, area.bottom, frame, nullptr, instance, nullptr);
    IUnknown* control = nullptr;
    if (!gHostWindow || FAILED(gGetControl(gHostWindow, &control)) || !control) return 5;
    control->Release();
    ShowWindow(frame, show);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    OleUninitialize();
    return 0;
}
