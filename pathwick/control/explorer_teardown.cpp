// SPDX-License-Identifier: BSD-3-Clause
// Teardown and the public methods.
#include "pathwick/control/components/mouse_pointer.h"
#include "pathwick/control/explorer_control.h"
#include "pathwick/control/mGlobal.h"
#include "pathwick/control/mListviewDefs.h"
#include "pathwick/control/mTreeviewDefs.h"
#include "pathwick/control/mWndProc.h"
#include "pathwick/control/settings_file.h"

namespace pathwick {

void ExplorerControl::SaveSettings() {
    pathwick::SaveColumnWidths(ListView1);
    SaveTreeAndSplitter(SettingsStore(), AnsiFromWide(GetSelectedTreePath(TreeView1)), SplitterPosition);
}

void ExplorerControl::Teardown() {
    if (m_tornDown || !m_window) return;
    m_tornDown = true;
    SaveSettings();
    BusyPointer busy;
    ClearListView(ListView1);
    gCurrentFolder.Reset();
    UnsubclassWindow(ListViewHwnd);
    SendMessageW(ListViewHwnd, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    SendMessageW(ListViewHwnd, LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
    ClearTree(TreeView1);
    UnsubclassWindow(TreeViewHwnd);
    SendMessageW(TreeViewHwnd, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
}

void ExplorerControl::Terminate() {
    IUnknown* owner = m_owner;
    if (owner) owner->AddRef();  // the self-reference may be the last one the host left
    ReleaseGlobals();
    Teardown();
    if (owner) owner->Release();
}

void ExplorerControl::SortListview() {
    SortRows(ListView1);
}

void ExplorerControl::RefreshFileLists() {
    BusyPointer busy;
    PruneTree(TreeView1, TreeView1.Item(1));
    TreeNode selected = TreeView1.SelectedItem();
    cTVItemData* data = NodeDataOf(TreeView1, selected.Handle());
    if (!data) return;
    pathwick::SaveColumnWidths(ListView1);
    ClearListView(ListView1);
    FillListView(ListView1, data->pidlFQ, data->pidlRel);
}

void ExplorerControl::SetHeaderIcons(long& iActiveColumn, long& iSortOrder) {
    if (!HeaderSortIcons) {
        HeaderSortIcons = std::make_unique<cLVHeaderSortIcons>(ImageList1);
        HeaderSortIcons->SetListView(&ListView1);
    }
    HeaderSortIcons->SetHeaderIcons(iActiveColumn, iSortOrder);
}

}  // namespace pathwick
