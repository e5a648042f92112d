// SPDX-License-Identifier: BSD-3-Clause
// Placement of the tree, the splitter bar and the list inside the control.
#pragma once

namespace pathwick {

constexpr int DefaultSplitterPosition = 192;
constexpr int SplitterWidth = 5;
constexpr int SplitterMargin = 30;   // the bar keeps this far from either edge
constexpr int MinLayoutWidth = 50;   // below these the previous layout stays
constexpr int MinLayoutHeight = 20;

struct PaneRect {
    int left;
    int top;
    int width;
    int height;
};

struct PaneLayout {
    int splitterPosition;  // after clamping; the value the settings save
    PaneRect tree;
    PaneRect bar;
    PaneRect list;
};

// False (and `layout` untouched) when the control is too small to lay out.
bool ComputeLayout(int innerWidth, int innerHeight, int splitterPosition, PaneLayout& layout);

// New splitter position from a drag over the bar: the pointer's x relative to
// the bar in twips, converted back to pixels and moved by the bar's left edge.
int SplitterFromDrag(int xTwips, double twipsPerPixel, int barLeft);

}  // namespace pathwick
