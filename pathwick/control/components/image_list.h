// SPDX-License-Identifier: BSD-3-Clause
// ImageList1: pictures by key. It holds the two 16 by 16 header arrows,
// "Ascending" and "Descending", drawn when the list is created.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace pathwick {

constexpr int ArrowSize = 16;

class ImageList {
public:
    ImageList() = default;
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;
    ~ImageList();

    // Draws the two arrows; false when GDI gives no bitmap.
    bool CreateArrows();
    // The picture handle of the image with `key`; null when there is none.
    HBITMAP Picture(const std::wstring& key) const;

private:
    std::map<std::wstring, HBITMAP> m_images;
};

// A 16 by 16 arrow in the button-shadow colour on a magenta mask colour: its
// point upwards for ascending, downwards for descending.
HBITMAP DrawArrowBitmap(bool pointsUp);
constexpr COLORREF ArrowMaskColour = RGB(255, 0, 255);

}  // namespace pathwick
