// SPDX-License-Identifier: BSD-3-Clause
// The folder tree: nodes of the shell namespace from the desktop down, their
// data, expansion on demand, pruning, select-by-path and the tree's events.
#pragma once

#include "pathwick/control/cTVItemData.h"
#include "pathwick/control/components/tree_view.h"

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <string>

namespace pathwick {

// Node data keyed by the decimal text of the node's item parameter.
extern std::map<std::string, cTVItemData> gNodeData;

void LoadTree(TreeView& tree, ConstPidl root);
HTREEITEM AddTreeNode(TreeView& tree, const TreeNode& parentNode, IShellFolder* parentFolder, ConstPidl pidlFQ,
                      ConstPidl pidlRel, HTREEITEM parentHandle, HTREEITEM previous);
void ExpandTreeNode(TreeView& tree, ConstPidl parentFQ, HTREEITEM parentHandle, const TreeNode& parentNode);
void PruneTree(TreeView& tree, TreeNode first);
void ClearTree(TreeView& tree);
LRESULT TreeViewNotify(NMHDR* notification);
int CALLBACK CompareTreeNodes(LPARAM first, LPARAM second, LPARAM sortParameter);
void SelectTreePath(TreeView& tree, const std::wstring& path);
std::wstring GetSelectedTreePath(const TreeView& tree);
// The data of a native item; null when it has none.
cTVItemData* NodeDataOf(const TreeView& tree, HTREEITEM item);

// Event handlers of the control for the tree.
void TreeViewMouseDown(int button, int x, int y);
void TreeViewKeyDown(WPARAM key);
void TreeViewStartDrag();

}  // namespace pathwick
