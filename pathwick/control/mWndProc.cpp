// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/mWndProc.h"

#include "pathwick/control/mListviewDefs.h"
#include "pathwick/control/mShellDefs.h"
#include "pathwick/control/mTreeviewDefs.h"

#include <commctrl.h>

namespace pathwick {

namespace {

class Win32Windows : public WindowPropertyPort {
public:
    uintptr_t ReadProperty(WindowHandle window, const char* name) override {
        return reinterpret_cast<uintptr_t>(GetPropA(AsWindow(window), name));
    }
    bool WriteProperty(WindowHandle window, const char* name, uintptr_t value) override {
        return SetPropA(AsWindow(window), name, reinterpret_cast<HANDLE>(value)) != FALSE;
    }
    void RemoveProperty(WindowHandle window, const char* name) override { RemovePropA(AsWindow(window), name); }
    uintptr_t ReplaceProc(WindowHandle window, uintptr_t procedure) override {
        return static_cast<uintptr_t>(
            SetWindowLongPtrW(AsWindow(window), GWLP_WNDPROC, static_cast<LONG_PTR>(procedure)));
    }
    char* AllocZeroed(size_t bytes) override { return static_cast<char*>(LocalAlloc(LPTR, bytes)); }
    void FreeBlock(char* block) override { LocalFree(block); }
    void ShowWarning(const std::string& text) override {
        MessageBoxA(nullptr, text.c_str(), "", MB_ICONWARNING);
    }

private:
    static HWND AsWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }
};

SubclassRegistry gSubclassed;
Win32Windows gWindows;

LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const char* name = gSubclassed.PropName();
    auto previous = reinterpret_cast<WNDPROC>(name ? GetPropA(window, name) : nullptr);
    if (!previous) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

using NotifyHandler = LRESULT (*)(NMHDR* notification);

LRESULT RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT setImageList,
                     NotifyHandler notify) {
    if (message == WM_DESTROY) {
        PassOn(window, message, wParam, lParam);
        UnsubclassWindow(window);
        return 0;
    }
    if (message == setImageList) return 0;
    if (message == WM_DRAWITEM || message == WM_MEASUREITEM || message == WM_INITMENUPOPUP) {
        if (gContextMenu2) gContextMenu2->HandleMenuMsg(message, wParam, lParam);
    } else if (message == ReflectedNotifyMessage && lParam) {
        LRESULT result = notify(reinterpret_cast<NMHDR*>(lParam));
        if (result != 0) return result;
    }
    return PassOn(window, message, wParam, lParam);
}

}  // namespace

bool SubclassWindow(HWND window, WNDPROC procedure, void* object) {
    return gSubclassed.SubclassWindow(gWindows, reinterpret_cast<WindowHandle>(window),
                                      reinterpret_cast<uintptr_t>(procedure), reinterpret_cast<uintptr_t>(object));
}

bool UnsubclassWindow(HWND window) {
    return gSubclassed.UnsubclassWindow(gWindows, reinterpret_cast<WindowHandle>(window));
}

const SubclassRegistry& Subclassed() {
    return gSubclassed;
}

LRESULT CALLBACK TreeViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteMessage(window, message, wParam, lParam, TVM_SETIMAGELIST, &TreeViewNotify);
}

LRESULT CALLBACK ListViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteMessage(window, message, wParam, lParam, LVM_SETIMAGELIST, &ListViewNotify);
}

}  // namespace pathwick
