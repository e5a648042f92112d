// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/components/image_list.h"

namespace pathwick {

HBITMAP DrawArrowBitmap(bool pointsUp) {
    HDC screen = GetDC(nullptr);
    HDC canvas = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, ArrowSize, ArrowSize);
    ReleaseDC(nullptr, screen);
    if (!canvas || !bitmap) {
        if (bitmap) DeleteObject(bitmap);
        if (canvas) DeleteDC(canvas);
        return nullptr;
    }
    HGDIOBJ oldBitmap = SelectObject(canvas, bitmap);
    RECT all = {0, 0, ArrowSize, ArrowSize};
    HBRUSH mask = CreateSolidBrush(ArrowMaskColour);
    FillRect(canvas, &all, mask);
    DeleteObject(mask);
    // A triangle 9 wide and 5 high, centred.
    POINT up[3] = {{4, 10}, {12, 10}, {8, 6}};
    POINT down[3] = {{4, 6}, {12, 6}, {8, 10}};
    HBRUSH fill = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ oldBrush = SelectObject(canvas, fill);
    HGDIOBJ oldPen = SelectObject(canvas, pen);
    Polygon(canvas, pointsUp ? up : down, 3);
    SelectObject(canvas, oldPen);
    SelectObject(canvas, oldBrush);
    DeleteObject(pen);
    DeleteObject(fill);
    SelectObject(canvas, oldBitmap);
    DeleteDC(canvas);
    return bitmap;
}

ImageList::~ImageList() {
    for (auto& entry : m_images) DeleteObject(entry.second);
}

bool ImageList::CreateArrows() {
    if (!m_images.empty()) return true;
    HBITMAP ascending = DrawArrowBitmap(true);
    HBITMAP descending = DrawArrowBitmap(false);
    if (ascending) m_images[L"Ascending"] = ascending;
    if (descending) m_images[L"Descending"] = descending;
    return ascending && descending;
}

HBITMAP ImageList::Picture(const std::wstring& key) const {
    auto found = m_images.find(key);
    return found == m_images.end() ? nullptr : found->second;
}

}  // namespace pathwick
