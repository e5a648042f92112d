// SPDX-License-Identifier: BSD-3-Clause
// TreeView1: the least of a tree-view component that the control needs, over
// the native tree window. Nodes are kept in index order (1-based, as added,
// closing up on removal); each native item carries a key of ours as its item
// parameter, which maps it back to its node.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace pathwick {

class TreeView;

// A node: a native item of one tree view. A null handle is "no node".
class TreeNode {
public:
    TreeNode() = default;
    TreeNode(TreeView* tree, HTREEITEM item) : m_tree(tree), m_item(item) {}
    explicit operator bool() const { return m_tree && m_item; }
    bool operator==(const TreeNode& other) const { return m_item == other.m_item; }

    HTREEITEM Handle() const { return m_item; }
    std::wstring Text() const;
    std::wstring FullPath() const;
    int Index() const;  // 1-based; 0 when gone
    bool Selected() const;
    void Select() const;
    bool Expanded() const;
    void SetExpanded(bool expanded) const;
    void EnsureVisible() const;
    TreeNode Child() const;
    TreeNode Next() const;
    TreeNode Parent() const;
    TreeNode Root() const;

private:
    TreeView* m_tree = nullptr;
    HTREEITEM m_item = nullptr;
};

class TreeView {
public:
    using KeyHandler = std::function<void(WPARAM key)>;
    using MouseHandler = std::function<void(int button, int x, int y)>;
    using DragHandler = std::function<void()>;

    // Creates the native window as a child of `parent`.
    bool Create(HWND parent, int id);
    HWND hWnd() const { return m_window; }
    void Move(int left, int top, int width, int height) const;

    // Nodes collection.
    int Count() const { return static_cast<int>(m_items.size()); }
    TreeNode Item(int index) const;  // 1-based
    TreeNode Add(const TreeNode& parent, const std::wstring& text);  // no parent: top level; else last child
    void Remove(const TreeNode& node);
    void Clear();
    TreeNode SelectedItem() const;
    TreeNode HitTest(int x, int y) const;
    TreeNode NodeOf(HTREEITEM item) const;
    LPARAM ItemParameter(HTREEITEM item) const;

    std::wstring PathSeparator = L"\\";
    void SetIndentation(int pixels) const;

    KeyHandler OnKeyDown;
    MouseHandler OnMouseDown;
    DragHandler OnStartDrag;

private:
    friend class TreeNode;
    static LRESULT CALLBACK ComponentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Forget(HTREEITEM item);

    HWND m_window = nullptr;
    WNDPROC m_nativeProc = nullptr;
    std::vector<HTREEITEM> m_items;  // index order
    LPARAM m_nextKey = 1;
};

}  // namespace pathwick
