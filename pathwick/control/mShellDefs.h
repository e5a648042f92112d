// SPDX-License-Identifier: BSD-3-Clause
// Paths, type names, icons, the system image lists and the shell's context menu.
#pragma once

#include "pathwick/core/pidl_ops.h"

#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace pathwick {

// The second-version context menu of the menu being shown; null otherwise.
extern IContextMenu2* gContextMenu2;

std::wstring GetPathFromPidl(ConstPidl list);
std::wstring GetTypeName(ConstPidl list);
int GetIconIndex(ConstPidl list, UINT flags);
HIMAGELIST GetSystemImageList(UINT flags);
// Shows the shell's menu for `items` of `folder`; true when a command was carried out.
bool ShowContextMenu(HWND owner, IShellFolder* folder, const std::vector<ConstPidl>& items, POINT screenPoint);

}  // namespace pathwick
