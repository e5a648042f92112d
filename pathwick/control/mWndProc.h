// SPDX-License-Identifier: BSD-3-Clause
// Subclassing of the tree's and the list's native windows through window
// properties, and the two window procedures that route their messages.
#pragma once

#include "pathwick/core/subclass_registry.h"

#include <windows.h>

namespace pathwick {

// Notification reflected back to the child control that sent it.
constexpr UINT ReflectedNotifyMessage = 8270;

bool SubclassWindow(HWND window, WNDPROC procedure, void* object);
bool UnsubclassWindow(HWND window);
const SubclassRegistry& Subclassed();

LRESULT CALLBACK TreeViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace pathwick
