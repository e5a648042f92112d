// SPDX-License-Identifier: BSD-3-Clause
// Start-up: the children set up, the tree built from the desktop, the settings loaded.
#include "pathwick/control/components/mouse_pointer.h"
#include "pathwick/control/explorer_control.h"
#include "pathwick/control/mGlobal.h"
#include "pathwick/control/mIShellFolderDefs.h"
#include "pathwick/control/mShellDefs.h"
#include "pathwick/control/mTreeviewDefs.h"
#include "pathwick/control/mWndProc.h"
#include "pathwick/control/settings_file.h"
#include "pathwick/core/settings.h"

namespace pathwick {

namespace {

constexpr LONG_PTR ShareImageLists = 64;
constexpr LONG_PTR BorderStyle = 8388608;

// The shell's icon cache, initialised by shell32's export 660; any failure is ignored.
void InitialiseIconCache() {
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (!shell) shell = LoadLibraryW(L"shell32.dll");
    if (!shell) return;
    using IconInit = BOOL(WINAPI*)(BOOL);
    auto init = reinterpret_cast<IconInit>(reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(660))));
    if (init) init(TRUE);
}

}  // namespace

void ExplorerControl::StartUp() {
    gInitializing = true;
    SetGlobals();
    SetUpChildren();
    LoadSettings();
    ListView1.Refresh();
    TreeView1.SelectedItem().EnsureVisible();
    gInitializing = false;
}

void ExplorerControl::SetUpChildren() {
    BusyPointer busy;
    InitialiseIconCache();
    HeaderSortIcons = std::make_unique<cLVHeaderSortIcons>(ImageList1);
    HeaderSortIcons->SetListView(&ListView1);
    SetUpListView();
    SetUpTreeView();
    Pidl desktop = AllocPidl(ShellAllocator(), 2);  // the empty list: the desktop
    if (desktop) LoadTree(TreeView1, desktop);
    FreePidl(desktop);
    ListView1.SetReportView();
    ListView1.ArrangeFromTop();
}

void ExplorerControl::SetUpListView() {
    ListViewHwnd = ListView1.hWnd();
    LONG_PTR style = GetWindowLongPtrW(ListViewHwnd, GWL_STYLE);
    SetWindowLongPtrW(ListViewHwnd, GWL_STYLE, (style | ShareImageLists) & ~BorderStyle);
    SetWindowPos(ListViewHwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    SendMessageW(ListViewHwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(GetSystemImageList(1)));
    SendMessageW(ListViewHwnd, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(GetSystemImageList(0)));
    SubclassWindow(ListViewHwnd, &ListViewWndProc, nullptr);
}

void ExplorerControl::SetUpTreeView() {
    TreeView1.SetIndentation(19);
    TreeViewHwnd = TreeView1.hWnd();
    SendMessageW(TreeViewHwnd, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(GetSystemImageList(1)));
    SubclassWindow(TreeViewHwnd, &TreeViewWndProc, nullptr);
}

void ExplorerControl::LoadSettings() {
    ProfileStore& store = SettingsStore();
    SplitterPosition = LoadSplitterPosition(store);
    SelectTreePath(TreeView1, WideFromAnsi(LoadFullPath(store)));
    Layout();
}

}  // namespace pathwick
