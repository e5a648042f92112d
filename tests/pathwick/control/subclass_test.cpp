// SPDX-License-Identifier: BSD-3-Clause
// Subclassing real tree and list windows through their properties.
#include "pathwick/control/mWndProc.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace pathwick;

TEST(Subclassing, BlocksImageListChangesAndReleasesOnDestroy) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    struct Case {
        const wchar_t* windowClass;
        WNDPROC procedure;
        UINT setList, getList;
        WPARAM which;
    };
    const Case cases[] = {
        {WC_TREEVIEWW, &TreeViewWndProc, TVM_SETIMAGELIST, TVM_GETIMAGELIST, TVSIL_NORMAL},
        {WC_LISTVIEWW, &ListViewWndProc, LVM_SETIMAGELIST, LVM_GETIMAGELIST, LVSIL_SMALL},
    };
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR8, 1, 0);
    HIMAGELIST other = ImageList_Create(16, 16, ILC_COLOR8, 1, 0);
    for (const Case& c : cases) {
        HWND window = CreateWindowExW(0, c.windowClass, L"", WS_CHILD | LVS_SHAREIMAGELISTS, 0, 0, 50, 50, parent,
                                      nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        SendMessageW(window, c.setList, c.which, reinterpret_cast<LPARAM>(images));  // given before subclassing
        ASSERT_TRUE(SubclassWindow(window, c.procedure, nullptr));
        EXPECT_TRUE(SubclassWindow(window, c.procedure, nullptr));  // twice: one registration
        EXPECT_EQ(Subclassed().Count(), 1u);
        EXPECT_NE(GetPropA(window, "OldWndProc"), nullptr);
        EXPECT_EQ(SendMessageW(window, c.setList, c.which, reinterpret_cast<LPARAM>(other)), 0);
        EXPECT_EQ(SendMessageW(window, c.getList, c.which, 0), reinterpret_cast<LRESULT>(images));
        DestroyWindow(window);  // releases its subclassing by itself
        EXPECT_EQ(Subclassed().Count(), 0u);
        EXPECT_EQ(Subclassed().PropName(), nullptr);
        EXPECT_FALSE(UnsubclassWindow(window));
    }
    ImageList_Destroy(images);
    ImageList_Destroy(other);
    DestroyWindow(parent);
}
