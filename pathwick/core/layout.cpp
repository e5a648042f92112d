// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/core/layout.h"

#include <cmath>

namespace pathwick {

namespace {

int ClampSplitter(int innerWidth, int position) {
    if (position < SplitterMargin) position = SplitterMargin;
    if (innerWidth - SplitterMargin < position) position = innerWidth - SplitterMargin;
    return position;
}

}  // namespace

bool ComputeLayout(int innerWidth, int innerHeight, int splitterPosition, PaneLayout& layout) {
    if (innerWidth < MinLayoutWidth || innerHeight < MinLayoutHeight) return false;
    int position = ClampSplitter(innerWidth, splitterPosition);
    layout.splitterPosition = position;
    layout.tree = {0, 0, position, innerHeight};
    layout.bar = {position, 0, SplitterWidth, innerHeight};
    int listLeft = position + SplitterWidth;
    layout.list = {listLeft, 0, innerWidth - listLeft, innerHeight};
    return true;
}

int SplitterFromDrag(int xTwips, double twipsPerPixel, int barLeft) {
    if (twipsPerPixel <= 0) return barLeft;
    double pixels = xTwips / twipsPerPixel + barLeft;
    // Far outside any screen: keep the arithmetic inside 32 bits; the layout clamps it anyway.
    if (pixels > 1e9) pixels = 1e9;
    if (pixels < -1e9) pixels = -1e9;
    return static_cast<int>(std::nearbyint(pixels));  // halves go to the even neighbour
}

}  // namespace pathwick
