// SPDX-License-Identifier: BSD-3-Clause
// The file list: the selected folder's contents with their columns, sorting
// through the shell folder's own comparison, launching, keys and menus.
#pragma once

#include "com/com_ref.h"
#include "pathwick/control/components/list_view.h"
#include "pathwick/core/pidl_ops.h"

#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include <map>
#include <string>

namespace pathwick {

// For every row, an owned copy of its identifier relative to the shown folder,
// keyed by the decimal text of the row's item parameter.
extern std::map<std::string, Pidl> gItemPidls;
extern com::ComRef<IShellFolder> gCurrentFolder;

void FillListView(ListView& list, ConstPidl pidlFQ, ConstPidl pidlRel);
LPARAM AddListItem(ListView& list, IShellFolder* folder, ConstPidl pidlFQ, ConstPidl pidlRel, IShellDetails* details,
                   bool fileSystem);
void ClearListView(ListView& list);
void SaveColumnWidths(ListView& list);
int CALLBACK CompareListItems(LPARAM first, LPARAM second, LPARAM sortParameter);
LRESULT ListViewNotify(NMHDR* notification);
// Re-sorts by the list's sort key and order, with the header arrows.
void SortRows(ListView& list);
// The fixed columns' titles: shell32's strings, or these when it has none.
std::wstring FixedColumnTitle(UINT stringId);

// Event handlers of the control for the list.
void ListViewColumnClick(int column);
void ListViewKeyDown(WPARAM key);
void ListViewStartDrag();

}  // namespace pathwick
