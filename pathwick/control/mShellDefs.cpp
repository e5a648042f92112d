// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/mShellDefs.h"

#include "com/com_ref.h"
#include "pathwick/control/mIShellFolderDefs.h"
#include "pathwick/control/mWindowDefs.h"

namespace pathwick {

IContextMenu2* gContextMenu2 = nullptr;

namespace {

IID ShellIid(unsigned long first) {
    return IID{first, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
}

bool FileInfo(ConstPidl list, UINT flags, SHFILEINFOW& info) {
    if (!list) return false;
    info = SHFILEINFOW{};
    return SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info, flags | SHGFI_PIDL) != 0;
}

// The command the user picked from the menu, 0 when none.
UINT TrackMenu(HWND owner, IContextMenu* menu, POINT point) {
    HMENU popup = CreatePopupMenu();
    if (!popup) return 0;
    UINT command = 0;
    if (Succeeded(menu->QueryContextMenu(popup, 0, 1, 32767, CMF_EXPLORE)))
        command = static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0,
                                                   owner, nullptr));
    DestroyMenu(popup);
    return command;
}

void InvokeCommand(HWND owner, IContextMenu* menu, UINT command) {
    CMINVOKECOMMANDINFO invoke{};
    invoke.cbSize = sizeof invoke;
    invoke.hwnd = owner;
    invoke.lpVerb = MAKEINTRESOURCEA(command - 1);
    invoke.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&invoke);
}

}  // namespace

std::wstring GetPathFromPidl(ConstPidl list) {
    wchar_t path[MAX_PATH] = {};
    if (!list || !SHGetPathFromIDListW(AsAbsolute(list), path)) return {};
    return TrimNull(std::wstring(path, MAX_PATH));
}

std::wstring GetTypeName(ConstPidl list) {
    SHFILEINFOW info;
    if (!FileInfo(list, SHGFI_TYPENAME, info)) return {};
    return TrimNull(std::wstring(info.szTypeName, 80));
}

int GetIconIndex(ConstPidl list, UINT flags) {
    SHFILEINFOW info;
    if (!FileInfo(list, flags | SHGFI_SYSICONINDEX, info)) return 0;
    return info.iIcon;
}

HIMAGELIST GetSystemImageList(UINT flags) {
    SHFILEINFOW info{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, flags | SHGFI_SYSICONINDEX));
}

bool ShowContextMenu(HWND owner, IShellFolder* folder, const std::vector<ConstPidl>& items, POINT screenPoint) {
    if (!folder || items.empty()) return false;
    std::vector<PCUITEMID_CHILD> children;
    for (ConstPidl item : items) children.push_back(AsChild(item));
    com::ComRef<IContextMenu> menu;
    const IID contextMenuIid = ShellIid(0x000214E4);
    if (!Succeeded(folder->GetUIObjectOf(owner, static_cast<UINT>(children.size()), children.data(), contextMenuIid,
                                         nullptr, menu.OutVoid())) ||
        !menu)
        return false;
    com::ComRef<IContextMenu2> menu2;
    if (!Succeeded(menu->QueryInterface(ShellIid(0x000214F4), menu2.OutVoid()))) menu2.Reset();
    gContextMenu2 = menu2.Get();
    IContextMenu* active = menu2 ? menu2.Get() : menu.Get();
    UINT command = TrackMenu(owner, active, screenPoint);
    if (command) InvokeCommand(owner, active, command);
    gContextMenu2 = nullptr;
    return command != 0;
}

}  // namespace pathwick
