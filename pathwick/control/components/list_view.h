// SPDX-License-Identifier: BSD-3-Clause
// ListView1: the least of a list-view component that the control needs, over
// the native list window in report view. Rows carry a key of ours as their
// item parameter; columns remember an alignment and, through SortState, the
// direction each one was last sorted in (its tag).
#pragma once

#include "pathwick/core/sort_state.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace pathwick {

enum class ColumnAlignment { Left, Right };

class ListView {
public:
    using KeyHandler = std::function<void(WPARAM key)>;
    using ColumnHandler = std::function<void(int column)>;  // 1-based
    using DragHandler = std::function<void()>;

    bool Create(HWND parent, int id);
    HWND hWnd() const { return m_window; }
    void Move(int left, int top, int width, int height) const;

    // ColumnHeaders.
    int ColumnCount() const { return static_cast<int>(m_alignments.size()); }
    void AddColumn(const std::wstring& title, int width, ColumnAlignment alignment);
    void ClearColumns();
    int ColumnWidth(int column) const;  // 1-based
    ColumnAlignment Alignment(int column) const;

    // ListItems. Rows are 0-based here; AddRow returns the row's item parameter.
    int RowCount() const;
    LPARAM AddRow(const std::wstring& text);
    void SetSubItem(int row, int column, const std::wstring& text) const;  // column 1-based, 2 onwards
    std::wstring RowText(int row, int column = 1) const;
    LPARAM RowParameter(int row) const;
    void ClearRows() const;
    bool RowSelected(int row) const;
    void SetRowState(int row, UINT state, UINT mask) const;
    int SelectedRow() const;  // the focused or first selected row; -1 for none
    std::vector<int> SelectedRows() const;  // in display order
    int HitTest(POINT clientPoint, UINT& flags) const;

    void SetReportView() const;
    void ArrangeFromTop() const;
    void Refresh() const;

    SortState Sort;

    KeyHandler OnKeyDown;
    ColumnHandler OnColumnClick;
    DragHandler OnStartDrag;

private:
    static LRESULT CALLBACK ComponentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    WNDPROC m_nativeProc = nullptr;
    std::vector<ColumnAlignment> m_alignments;
    LPARAM m_nextKey = 1;
};

}  // namespace pathwick
