// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/components/tree_view.h"

#include <algorithm>

namespace pathwick {

namespace {

constexpr UINT ReflectedNotify = 0x2000 + WM_NOTIFY;
const wchar_t* const ComponentProp = L"PathwickTreeComponent";

bool IsDeleteItem(UINT code) {
    return code == TVN_DELETEITEMA || code == TVN_DELETEITEMW;
}

bool IsBeginDrag(UINT code) {
    return code == TVN_BEGINDRAGA || code == TVN_BEGINDRAGW;
}

}  // namespace

std::wstring TreeNode::Text() const {
    if (!*this) return {};
    wchar_t buffer[512] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = m_item;
    item.pszText = buffer;
    item.cchTextMax = 512;
    SendMessageW(m_tree->hWnd(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

std::wstring TreeNode::FullPath() const {
    std::wstring path = Text();
    for (TreeNode node = Parent(); node; node = node.Parent()) path = node.Text() + m_tree->PathSeparator + path;
    return path;
}

int TreeNode::Index() const {
    if (!*this) return 0;
    auto found = std::find(m_tree->m_items.begin(), m_tree->m_items.end(), m_item);
    return found == m_tree->m_items.end() ? 0 : static_cast<int>(found - m_tree->m_items.begin()) + 1;
}

bool TreeNode::Selected() const {
    return *this && m_tree->SelectedItem() == *this;
}

void TreeNode::Select() const {
    if (*this) SendMessageW(m_tree->hWnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(m_item));
}

bool TreeNode::Expanded() const {
    if (!*this) return false;
    UINT state = static_cast<UINT>(
        SendMessageW(m_tree->hWnd(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(m_item), TVIS_EXPANDED));
    return (state & TVIS_EXPANDED) != 0;
}

void TreeNode::SetExpanded(bool expanded) const {
    if (*this)
        SendMessageW(m_tree->hWnd(), TVM_EXPAND, expanded ? TVE_EXPAND : TVE_COLLAPSE,
                     reinterpret_cast<LPARAM>(m_item));
}

void TreeNode::EnsureVisible() const {
    if (*this) SendMessageW(m_tree->hWnd(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(m_item));
}

static TreeNode Related(TreeView* tree, HTREEITEM item, UINT relation) {
    if (!tree || !item) return {};
    auto other = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree->hWnd(), TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    return other ? TreeNode(tree, other) : TreeNode();
}

TreeNode TreeNode::Child() const { return Related(m_tree, m_item, TVGN_CHILD); }
TreeNode TreeNode::Next() const { return Related(m_tree, m_item, TVGN_NEXT); }
TreeNode TreeNode::Parent() const { return Related(m_tree, m_item, TVGN_PARENT); }

TreeNode TreeNode::Root() const {
    TreeNode node = *this;
    for (TreeNode up = node.Parent(); up; up = up.Parent()) node = up;
    return node;
}

bool TreeView::Create(HWND parent, int id) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                  TVS_SHOWSELALWAYS;
    m_window = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, 0, 0, 10, 10, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (!m_window) return false;
    SetPropW(m_window, ComponentProp, this);
    m_nativeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeView::ComponentProc)));
    return true;
}

void TreeView::Move(int left, int top, int width, int height) const {
    MoveWindow(m_window, left, top, width, height, TRUE);
}

TreeNode TreeView::Item(int index) const {
    if (index < 1 || index > Count()) return {};
    return TreeNode(const_cast<TreeView*>(this), m_items[static_cast<size_t>(index - 1)]);
}

TreeNode TreeView::Add(const TreeNode& parent, const std::wstring& text) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent.Handle() : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = m_nextKey++;
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(m_window, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) return {};
    m_items.push_back(item);
    return TreeNode(this, item);
}

void TreeView::Remove(const TreeNode& node) {
    if (node) SendMessageW(m_window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node.Handle()));
}

void TreeView::Clear() {
    SendMessageW(m_window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

TreeNode TreeView::SelectedItem() const {
    return NodeOf(reinterpret_cast<HTREEITEM>(SendMessageW(m_window, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

TreeNode TreeView::HitTest(int x, int y) const {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    SendMessageW(m_window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return (hit.flags & TVHT_ONITEM) ? NodeOf(hit.hItem) : TreeNode();
}

TreeNode TreeView::NodeOf(HTREEITEM item) const {
    return item ? TreeNode(const_cast<TreeView*>(this), item) : TreeNode();
}

LPARAM TreeView::ItemParameter(HTREEITEM item) const {
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageW(m_window, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return 0;
    return data.lParam;
}

void TreeView::SetIndentation(int pixels) const {
    SendMessageW(m_window, TVM_SETINDENT, static_cast<WPARAM>(pixels), 0);
}

void TreeView::Forget(HTREEITEM item) {
    m_items.erase(std::remove(m_items.begin(), m_items.end(), item), m_items.end());
}

LRESULT CALLBACK TreeView::ComponentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tree = static_cast<TreeView*>(GetPropW(window, ComponentProp));
    if (!tree) return DefWindowProcW(window, message, wParam, lParam);
    return tree->HandleMessage(message, wParam, lParam);
}

LRESULT TreeView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC native = m_nativeProc;
    HWND window = m_window;
    switch (message) {
    case WM_KEYDOWN:
        if (OnKeyDown) OnKeyDown(wParam);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (OnMouseDown)
            OnMouseDown(message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4,
                        static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        break;
    case ReflectedNotify: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (IsDeleteItem(header->code)) Forget(reinterpret_cast<NMTREEVIEWW*>(lParam)->itemOld.hItem);
        if (IsBeginDrag(header->code) && OnStartDrag) OnStartDrag();
        return 0;
    }
    case WM_NCDESTROY:
        RemovePropW(window, ComponentProp);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(native));
        m_window = nullptr;
        m_items.clear();
        break;
    }
    return CallWindowProcW(native, window, message, wParam, lParam);
}

}  // namespace pathwick
