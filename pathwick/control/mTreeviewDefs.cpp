// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/mTreeviewDefs.h"

#include "pathwick/control/components/mouse_pointer.h"
#include "pathwick/control/drag_out.h"
#include "pathwick/control/explorer_control.h"
#include "pathwick/control/mGlobal.h"
#include "pathwick/control/mIShellFolderDefs.h"
#include "pathwick/control/mListviewDefs.h"
#include "pathwick/control/mShellDefs.h"
#include "pathwick/control/mWindowDefs.h"
#include "pathwick/core/tree_path.h"

namespace pathwick {

std::map<std::string, cTVItemData> gNodeData;

namespace {

constexpr ULONG HasSubfolder = 0x80000000u;
constexpr ULONG Shared = 131072;
constexpr UINT SmallIcon = 1;
constexpr UINT SmallOpenIcon = 3;

std::string KeyOf(LPARAM parameter) {
    return std::to_string(static_cast<long long>(parameter));
}

void WriteNativeSettings(HWND tree, HTREEITEM item, ULONG attributes, ConstPidl pidlFQ) {
    TVITEMW native{};
    native.mask = TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    native.hItem = item;
    native.cChildren = (attributes & HasSubfolder) ? 1 : 0;
    native.iImage = GetIconIndex(pidlFQ, SmallIcon);
    native.iSelectedImage = GetIconIndex(pidlFQ, SmallOpenIcon);
    native.stateMask = TVIS_OVERLAYMASK;
    native.state = (attributes & Shared) ? INDEXTOOVERLAYMASK(1) : 0;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&native));
}

// Gives a node its expand button back (or takes it away) and lets the next
// expansion ask for its children again.
void SetHasChildren(HWND tree, HTREEITEM item, bool hasChildren) {
    TVITEMW native{};
    native.mask = TVIF_CHILDREN | TVIF_STATE;
    native.hItem = item;
    native.cChildren = hasChildren ? 1 : 0;
    native.stateMask = TVIS_EXPANDEDONCE;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&native));
}

void SortChildren(HWND tree, HTREEITEM parent, IShellFolder* folder) {
    TVSORTCB sort{};
    sort.hParent = parent;
    sort.lpfnCompare = &CompareTreeNodes;
    sort.lParam = reinterpret_cast<LPARAM>(folder);
    SendMessageW(tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

// Adds one child node for every folder `folder` lists; returns how many.
int AddChildFolders(TreeView& tree, IShellFolder* folder, ConstPidl parentFQ, HTREEITEM parentHandle,
                    const TreeNode& parentNode) {
    com::ComRef<IEnumIDList> items;
    HWND owner = GetTopLevelParent(tree.hWnd());
    if (!Succeeded(folder->EnumObjects(owner, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, items.Out())) || !items)
        return 0;
    int added = 0;
    HTREEITEM previous = nullptr;
    LPITEMIDLIST child = nullptr;
    while (items->Next(1, &child, nullptr) == S_OK && child) {
        Pidl relative = reinterpret_cast<Pidl>(child);
        Pidl absolute = CombinePidls(ClonePidl(parentFQ), ClonePidl(relative), true, true);
        if (absolute) {
            HTREEITEM item = AddTreeNode(tree, parentNode, folder, absolute, relative, parentHandle, previous);
            if (item) {
                previous = item;
                ++added;
            }
        }
        FreePidl(absolute);
        FreePidl(relative);
        child = nullptr;
    }
    return added;
}

LRESULT TreeRightClick(TreeView& tree);

}  // namespace

cTVItemData* NodeDataOf(const TreeView& tree, HTREEITEM item) {
    if (!item) return nullptr;
    auto found = gNodeData.find(KeyOf(tree.ItemParameter(item)));
    return found == gNodeData.end() ? nullptr : &found->second;
}

void LoadTree(TreeView& tree, ConstPidl root) {
    ClearTree(tree);
    Pidl copy = ClonePidl(root);
    if (!copy) return;
    com::ComRef<IShellFolder> parent = GetParentFolder(root);
    HTREEITEM item = parent ? AddTreeNode(tree, TreeNode(), parent.Get(), root, copy, nullptr, nullptr) : nullptr;
    if (item) {
        TreeNode first = tree.Item(1);
        first.Select();
        first.SetExpanded(true);
    }
    FreePidl(copy);  // also when nothing was added
}

HTREEITEM AddTreeNode(TreeView& tree, const TreeNode& parentNode, IShellFolder* parentFolder, ConstPidl pidlFQ,
                      ConstPidl pidlRel, HTREEITEM parentHandle, HTREEITEM previous) {
    ULONG attributes = GetAttributes(parentFolder, pidlRel, HasSubfolder | Shared);
    std::wstring text = GetDisplayName(parentFolder, pidlRel, SHGDN_INFOLDER);
    TreeNode node = tree.Add(parentNode, text);
    if (!node) return nullptr;
    WriteNativeSettings(tree.hWnd(), node.Handle(), attributes, pidlFQ);
    cTVItemData data{ClonePidl(pidlFQ), ClonePidl(pidlRel)};
    gNodeData[KeyOf(tree.ItemParameter(node.Handle()))] = data;
    return node.Handle();
}

void ExpandTreeNode(TreeView& tree, ConstPidl parentFQ, HTREEITEM parentHandle, const TreeNode& parentNode) {
    BusyPointer busy;
    // A folder that cannot be bound (it may have vanished) lists nothing,
    // rather than the desktop's folders under the wrong parent.
    com::ComRef<IShellFolder> folder = BindToFolderOrNone(parentFQ);
    int added = folder ? AddChildFolders(tree, folder.Get(), parentFQ, parentHandle, parentNode) : 0;
    if (added > 0)
        SortChildren(tree.hWnd(), parentHandle, folder.Get());
    else
        SetHasChildren(tree.hWnd(), parentHandle, false);
}

int CALLBACK CompareTreeNodes(LPARAM first, LPARAM second, LPARAM sortParameter) {
    auto* folder = reinterpret_cast<IShellFolder*>(sortParameter);
    auto a = gNodeData.find(KeyOf(first));
    auto b = gNodeData.find(KeyOf(second));
    if (!folder || a == gNodeData.end() || b == gNodeData.end()) return 0;
    HRESULT status = folder->CompareIDs(0, AsRelative(a->second.pidlRel), AsRelative(b->second.pidlRel));
    if (!Succeeded(status)) return 0;
    return static_cast<short>(HRESULT_CODE(status));
}

void PruneTree(TreeView& tree, TreeNode first) {
    for (TreeNode node = first; node; node = node.Next()) {
        if (node.Expanded()) {
            PruneTree(tree, node.Child());
            continue;
        }
        bool removed = false;
        for (TreeNode child = node.Child(); child; child = node.Child()) {
            tree.Remove(child);
            removed = true;
        }
        // The native tree drops the button with the last child; without it
        // the branch could never be expanded, and so rebuilt, again.
        if (removed) SetHasChildren(tree.hWnd(), node.Handle(), true);
    }
}

void ClearTree(TreeView& tree) {
    if (tree.Count() == 0) return;
    TreeNode root = tree.Item(1).Root();
    root.SetExpanded(false);
    tree.Remove(root);
    tree.Clear();  // any other top-level node as well
}

void SelectTreePath(TreeView& tree, const std::wstring& path) {
    if (path.empty() || tree.Count() == 0) return;
    if (path == GetSelectedTreePath(tree)) return;
    for (const std::wstring& sought : PathSteps(path, tree.PathSeparator)) {
        TreeNode found;
        for (int index = 1; index <= tree.Count() && !found; ++index)
            if (tree.Item(index).FullPath() == sought) found = tree.Item(index);
        if (!found) return;
        found.Select();
        found.SetExpanded(true);
        found.EnsureVisible();
    }
}

std::wstring GetSelectedTreePath(const TreeView& tree) {
    return tree.SelectedItem().FullPath();
}

LRESULT TreeViewNotify(NMHDR* notification) {
    auto* change = reinterpret_cast<NMTREEVIEWW*>(notification);
    if (notification->code == TVN_DELETEITEMA || notification->code == TVN_DELETEITEMW) {
        // Needs no reference to the tree: teardown clears it after Terminate
        // has released them, and every node's lists must still be freed.
        auto found = gNodeData.find(KeyOf(change->itemOld.lParam));
        if (found != gNodeData.end()) {
            FreePidl(found->second.pidlRel);
            FreePidl(found->second.pidlFQ);
            gNodeData.erase(found);
        }
        return 0;
    }
    if (!gTreeView) return 0;
    TreeView& tree = *gTreeView;
    switch (notification->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
        TreeNode node = tree.NodeOf(change->itemNew.hItem);
        if (node && !node.Child())
            if (cTVItemData* data = NodeDataOf(tree, node.Handle()))
                ExpandTreeNode(tree, data->pidlFQ, node.Handle(), node);
        return 0;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        if (cTVItemData* data = NodeDataOf(tree, change->itemNew.hItem)) {
            if (!gInitializing && gListView) SaveColumnWidths(*gListView);
            if (gListView) FillListView(*gListView, data->pidlFQ, data->pidlRel);
        }
        return 0;
    case NM_RCLICK:
        return TreeRightClick(tree);
    default:
        return 0;
    }
}

namespace {

LRESULT TreeRightClick(TreeView& tree) {
    POINT cursor{};
    GetCursorPos(&cursor);
    TVHITTESTINFO hit{};
    hit.pt = cursor;
    ScreenToClient(tree.hWnd(), &hit.pt);
    SendMessageW(tree.hWnd(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const UINT onRow = TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT;
    if (!hit.hItem || !(hit.flags & onRow)) return 0;
    cTVItemData* data = NodeDataOf(tree, hit.hItem);
    if (!data || IsDesktopPidl(data->pidlFQ)) return 0;
    com::ComRef<IShellFolder> parent = GetParentFolder(data->pidlFQ);
    bool carriedOut = ShowContextMenu(tree.hWnd(), parent.Get(), {data->pidlRel}, cursor);
    return carriedOut ? 0 : 1;
}

}  // namespace

void TreeViewMouseDown(int button, int x, int y) {
    if (!gTreeView) return;
    TreeNode node = gTreeView->HitTest(x, y);
    if (node && !node.Selected()) node.Select();
}

void TreeViewKeyDown(WPARAM key) {
    if (key == VK_F5 && gExplorer) gExplorer->RefreshFileLists();
}

void TreeViewStartDrag() {
    if (!gTreeView) return;
    cTVItemData* data = NodeDataOf(*gTreeView, gTreeView->SelectedItem().Handle());
    if (!data) return;
    std::wstring path = GetPathFromPidl(data->pidlFQ);
    if (!path.empty()) DragOutFiles({path});
}

}  // namespace pathwick
