// SPDX-License-Identifier: BSD-3-Clause
// Draws the sort arrow in the list's column headers.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace pathwick {

class ListView;
class ImageList;

class cLVHeaderSortIcons {
public:
    explicit cLVHeaderSortIcons(const ImageList& arrows);
    ~cLVHeaderSortIcons();
    cLVHeaderSortIcons(const cLVHeaderSortIcons&) = delete;
    cLVHeaderSortIcons& operator=(const cLVHeaderSortIcons&) = delete;

    ListView* GetListView() const { return m_listView; }
    void SetListView(ListView* list) { m_listView = list; }
    // Arrow on column iActiveColumn (0-based): up for iSortOrder 0, else down.
    bool SetHeaderIcons(long& iActiveColumn, long& iSortOrder);

private:
    ListView* m_listView = nullptr;
    HIMAGELIST m_images = nullptr;
    HWND m_header = nullptr;
};

}  // namespace pathwick
