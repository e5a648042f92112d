// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/components/list_view.h"

namespace pathwick {

namespace {

constexpr UINT ReflectedNotify = 0x2000 + WM_NOTIFY;
const wchar_t* const ComponentProp = L"PathwickListComponent";

}  // namespace

bool ListView::Create(HWND parent, int id) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS;
    m_window = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, 10, 10, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (!m_window) return false;
    SendMessageW(m_window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SetPropW(m_window, ComponentProp, this);
    m_nativeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListView::ComponentProc)));
    return true;
}

void ListView::Move(int left, int top, int width, int height) const {
    MoveWindow(m_window, left, top, width, height, TRUE);
}

void ListView::AddColumn(const std::wstring& title, int width, ColumnAlignment alignment) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = alignment == ColumnAlignment::Right ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title.c_str());
    int index = ColumnCount();
    if (SendMessageW(m_window, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)) < 0)
        return;
    m_alignments.push_back(alignment);
    Sort.ResetColumns(ColumnCount());
}

void ListView::ClearColumns() {
    while (ColumnCount() > 0) {
        SendMessageW(m_window, LVM_DELETECOLUMN, static_cast<WPARAM>(ColumnCount() - 1), 0);
        m_alignments.pop_back();
    }
    Sort.ResetColumns(0);
}

int ListView::ColumnWidth(int column) const {
    return static_cast<int>(SendMessageW(m_window, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column - 1), 0));
}

ColumnAlignment ListView::Alignment(int column) const {
    if (column < 1 || column > ColumnCount()) return ColumnAlignment::Left;
    return m_alignments[static_cast<size_t>(column - 1)];
}

int ListView::RowCount() const {
    return static_cast<int>(SendMessageW(m_window, LVM_GETITEMCOUNT, 0, 0));
}

LPARAM ListView::AddRow(const std::wstring& text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = RowCount();
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.lParam = m_nextKey++;
    if (SendMessageW(m_window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) < 0) return 0;
    return item.lParam;
}

void ListView::SetSubItem(int row, int column, const std::wstring& text) const {
    LVITEMW item{};
    item.iSubItem = column - 1;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(m_window, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::wstring ListView::RowText(int row, int column) const {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = column - 1;
    item.pszText = buffer;
    item.cchTextMax = 512;
    SendMessageW(m_window, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

LPARAM ListView::RowParameter(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(m_window, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
}

void ListView::ClearRows() const {
    SendMessageW(m_window, LVM_DELETEALLITEMS, 0, 0);
}

bool ListView::RowSelected(int row) const {
    return (SendMessageW(m_window, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void ListView::SetRowState(int row, UINT state, UINT mask) const {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(m_window, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int ListView::SelectedRow() const {
    int focused = static_cast<int>(SendMessageW(m_window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= 0 && RowSelected(focused)) return focused;
    return static_cast<int>(SendMessageW(m_window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::vector<int> ListView::SelectedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < RowCount(); ++row)
        if (RowSelected(row)) rows.push_back(row);
    return rows;
}

int ListView::HitTest(POINT clientPoint, UINT& flags) const {
    LVHITTESTINFO hit{};
    hit.pt = clientPoint;
    int row = static_cast<int>(SendMessageW(m_window, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    flags = hit.flags;
    return row;
}

void ListView::SetReportView() const {
    SendMessageW(m_window, LVM_SETVIEW, LV_VIEW_DETAILS, 0);
}

void ListView::ArrangeFromTop() const {
    LONG_PTR style = GetWindowLongPtrW(m_window, GWL_STYLE);
    SetWindowLongPtrW(m_window, GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_ALIGNMASK)) | LVS_AUTOARRANGE | LVS_ALIGNTOP);
}

void ListView::Refresh() const {
    InvalidateRect(m_window, nullptr, TRUE);
    UpdateWindow(m_window);
}

LRESULT CALLBACK ListView::ComponentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* list = static_cast<ListView*>(GetPropW(window, ComponentProp));
    if (!list) return DefWindowProcW(window, message, wParam, lParam);
    return list->HandleMessage(message, wParam, lParam);
}

LRESULT ListView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC native = m_nativeProc;
    HWND window = m_window;
    switch (message) {
    case WM_KEYDOWN:
        if (OnKeyDown) OnKeyDown(wParam);
        break;
    case ReflectedNotify: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == LVN_COLUMNCLICK && OnColumnClick)
            OnColumnClick(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem + 1);
        if (header->code == LVN_BEGINDRAG && OnStartDrag) OnStartDrag();
        return 0;
    }
    case WM_NCDESTROY:
        RemovePropW(window, ComponentProp);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(native));
        m_window = nullptr;
        break;
    }
    return CallWindowProcW(native, window, message, wParam, lParam);
}

}  // namespace pathwick
