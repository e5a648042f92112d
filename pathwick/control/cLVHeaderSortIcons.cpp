// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/cLVHeaderSortIcons.h"

#include "pathwick/control/components/image_list.h"
#include "pathwick/control/components/list_view.h"

namespace pathwick {

cLVHeaderSortIcons::cLVHeaderSortIcons(const ImageList& arrows) {
    m_images = ImageList_Create(ArrowSize, ArrowSize, ILC_MASK | ILC_COLOR8, 2, 0);
    if (!m_images) return;
    ImageList_AddMasked(m_images, arrows.Picture(L"Ascending"), ArrowMaskColour);
    ImageList_AddMasked(m_images, arrows.Picture(L"Descending"), ArrowMaskColour);
}

cLVHeaderSortIcons::~cLVHeaderSortIcons() {
    if (m_header && IsWindow(m_header)) SendMessageW(m_header, HDM_SETIMAGELIST, 0, 0);
    if (m_images) ImageList_Destroy(m_images);
}

bool cLVHeaderSortIcons::SetHeaderIcons(long& iActiveColumn, long& iSortOrder) {
    if (!m_listView || !m_images || !IsWindow(m_listView->hWnd())) return false;
    if ((GetWindowLongPtrW(m_listView->hWnd(), GWL_STYLE) & LVS_TYPEMASK) != LVS_REPORT) return false;
    if (!m_header) {
        m_header = reinterpret_cast<HWND>(SendMessageW(m_listView->hWnd(), LVM_GETHEADER, 0, 0));
        if (!m_header) return false;
        SendMessageW(m_header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images));
    }
    for (int column = 0; column < m_listView->ColumnCount(); ++column) {
        bool right = m_listView->Alignment(column + 1) == ColumnAlignment::Right;
        HDITEMW item{};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        item.fmt = HDF_STRING | (right ? HDF_RIGHT : 0);
        if (column == iActiveColumn) item.fmt |= HDF_IMAGE | (right ? 0 : HDF_BITMAP_ON_RIGHT);
        item.iImage = iSortOrder != 0 ? 1 : 0;
        SendMessageW(m_header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
    return true;
}

}  // namespace pathwick
