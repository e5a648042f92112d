// SPDX-License-Identifier: BSD-3-Clause
// Layout of the panes and dragging of the splitter bar.
#include "pathwick/control/explorer_control.h"
#include "pathwick/core/layout.h"

namespace pathwick {

void ExplorerControl::Layout() {
    if (!m_window) return;
    RECT inner{};
    GetClientRect(m_window, &inner);
    PaneLayout layout{};
    if (!ComputeLayout(inner.right, inner.bottom, SplitterPosition, layout)) return;
    SplitterPosition = layout.splitterPosition;
    TreeView1.Move(layout.tree.left, layout.tree.top, layout.tree.width, layout.tree.height);
    Frame1.Move(layout.bar.left, layout.bar.top, layout.bar.width, layout.bar.height);
    ListView1.Move(layout.list.left, layout.list.top, layout.list.width, layout.list.height);
}

void ExplorerControl::OnFrameMouseDown(int button) {
    if (button == LeftButton) SetCapture(Frame1.hWnd());
}

void ExplorerControl::OnFrameMouseMove(int button, int xTwips) {
    if (!(button & LeftButton)) return;
    SplitterPosition = SplitterFromDrag(xTwips, TwipsPerPixelX(), Frame1.Left());
    Layout();
}

void ExplorerControl::OnFrameMouseUp(int button) {
    if (button == LeftButton) ReleaseCapture();
}

}  // namespace pathwick
