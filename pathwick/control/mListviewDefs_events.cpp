// SPDX-License-Identifier: BSD-3-Clause
// The list's notifications and events: right-click menus, double-click,
// header clicks, keys and dragging rows out.
#include "pathwick/control/drag_out.h"
#include "pathwick/control/explorer_control.h"
#include "pathwick/control/mGlobal.h"
#include "pathwick/control/mIShellFolderDefs.h"
#include "pathwick/control/mListviewDefs.h"
#include "pathwick/control/mShellDefs.h"
#include "pathwick/control/mTreeviewDefs.h"
#include "pathwick/control/mWindowDefs.h"

namespace pathwick {

namespace {

constexpr ULONG FolderAttribute = 536870912;

std::string KeyOf(LPARAM parameter) {
    return std::to_string(static_cast<long long>(parameter));
}

Pidl RowPidl(const ListView& list, int row) {
    auto found = gItemPidls.find(KeyOf(list.RowParameter(row)));
    return found == gItemPidls.end() ? nullptr : found->second;
}

// The row under the cursor, -1 when none; flags tell what part was hit.
int RowUnderCursor(const ListView& list, POINT& cursor, UINT& flags) {
    GetCursorPos(&cursor);
    POINT client = cursor;
    ScreenToClient(list.hWnd(), &client);
    return list.HitTest(client, flags);
}

LRESULT RightClick(ListView& list) {
    POINT cursor{};
    UINT flags = 0;
    int hit = RowUnderCursor(list, cursor, flags);
    if (hit < 0 || !(flags & LVHT_ONITEM)) return 0;
    std::vector<ConstPidl> items;
    if (Pidl first = RowPidl(list, hit)) items.push_back(first);
    for (int row : list.SelectedRows())
        if (row != hit)
            if (Pidl other = RowPidl(list, row)) items.push_back(other);
    if (items.empty() || !gCurrentFolder) return 0;
    return ShowContextMenu(list.hWnd(), gCurrentFolder.Get(), items, cursor) ? 0 : 1;
}

std::wstring FilePathOf(ConstPidl folderFQ, ConstPidl relative) {
    if (!relative) return {};
    Pidl absolute = CombinePidls(ClonePidl(folderFQ), ClonePidl(relative), true, true);
    std::wstring path = GetPathFromPidl(absolute);
    FreePidl(absolute);
    return path;
}

void StepIntoFolder(ListView& list) {
    if (!gTreeView) return;
    TreeNode selected = gTreeView->SelectedItem();
    if (!selected) return;
    selected.SetExpanded(true);
    std::wstring name = list.RowText(list.SelectedRow());
    for (TreeNode child = selected.Child(); child; child = child.Next())
        if (child.Text() == name) {
            child.Select();
            return;
        }
}

void ShowLaunchFailure(HWND owner) {
    DWORD error = GetLastError();
    std::wstring text = L"ShellExecuteEx failure\r\n\r\nAPIErr: " + std::to_wstring(error) + L"\r\n" +
                        GetApiErrorText(error);
    MessageBoxW(owner, text.c_str(), L"Pathwick", MB_OK);
}

void OpenFile(ListView& list, ConstPidl relative) {
    if (!gTreeView) return;
    cTVItemData* folder = NodeDataOf(*gTreeView, gTreeView->SelectedItem().Handle());
    if (!folder) return;
    Pidl absolute = CombinePidls(ClonePidl(folder->pidlFQ), ClonePidl(relative), true, true);
    if (!absolute) return;
    SHELLEXECUTEINFOW launch{};
    launch.cbSize = sizeof launch;
    launch.fMask = SEE_MASK_INVOKEIDLIST;
    launch.hwnd = GetTopLevelParent(list.hWnd());
    launch.lpIDList = absolute;
    launch.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&launch)) ShowLaunchFailure(launch.hwnd);
    FreePidl(absolute);
}

void DoubleClick(ListView& list) {
    POINT cursor{};
    UINT flags = 0;
    int hit = RowUnderCursor(list, cursor, flags);
    if (hit < 0 || !gCurrentFolder) return;
    Pidl relative = RowPidl(list, hit);
    if (!relative) return;
    if (GetAttributes(gCurrentFolder.Get(), relative, FolderAttribute))
        StepIntoFolder(list);
    else
        OpenFile(list, relative);
}

}  // namespace

LRESULT ListViewNotify(NMHDR* notification) {
    if (!gListView) return 0;
    if (notification->code == NM_RCLICK) return RightClick(*gListView);
    if (notification->code == NM_DBLCLK) DoubleClick(*gListView);
    return 0;
}

void ListViewColumnClick(int column) {
    if (!gListView) return;
    gListView->Sort.ClickColumn(column);
    if (gExplorer) gExplorer->SortListview();
}

void ListViewKeyDown(WPARAM key) {
    if (!gListView) return;
    if (key == 'A' && (GetKeyState(VK_CONTROL) & 0x8000)) {
        gListView->SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
    } else if (key == VK_BACK && gTreeView) {
        TreeNode parent = gTreeView->SelectedItem().Parent();
        if (parent) parent.Select();
    } else if (key == VK_F5 && gExplorer) {
        gExplorer->RefreshFileLists();
    }
}

void ListViewStartDrag() {
    if (!gListView || !gTreeView) return;
    cTVItemData* folder = NodeDataOf(*gTreeView, gTreeView->SelectedItem().Handle());
    if (!folder) return;
    std::wstring base = GetPathFromPidl(folder->pidlFQ);
    if (base.empty()) return;  // a folder outside the file system has no files to offer
    if (base.back() != L'\\') base += L'\\';
    std::vector<std::wstring> files;
    for (int row : gListView->SelectedRows()) {
        std::wstring path = FilePathOf(folder->pidlFQ, RowPidl(*gListView, row));
        size_t slash = path.find_last_of(L'\\');
        if (!path.empty()) files.push_back(base + (slash == std::wstring::npos ? path : path.substr(slash + 1)));
    }
    if (!files.empty()) DragOutFiles(files);
}

}  // namespace pathwick
