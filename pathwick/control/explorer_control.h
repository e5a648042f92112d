// SPDX-License-Identifier: BSD-3-Clause
// The Explorer control itself: its window and four children, start-up,
// layout, splitter dragging, settings, teardown and the public methods.
#pragma once

#include "pathwick/control/cLVHeaderSortIcons.h"
#include "pathwick/control/components/frame.h"
#include "pathwick/control/components/image_list.h"
#include "pathwick/control/components/list_view.h"
#include "pathwick/control/components/tree_view.h"

#include <windows.h>
#include <unknwn.h>

#include <memory>

namespace pathwick {

class ExplorerControl {
public:
    // `owner` is the object that gExplorer keeps alive until Terminate.
    explicit ExplorerControl(IUnknown* owner) : m_owner(owner) {}
    ExplorerControl(const ExplorerControl&) = delete;
    ExplorerControl& operator=(const ExplorerControl&) = delete;
    ~ExplorerControl();

    // Creates the window and its children as a child of `parent`, then starts up.
    bool Create(HWND parent, const RECT& position);
    HWND hWnd() const { return m_window; }

    // Public methods.
    void SortListview();
    void Terminate();
    void RefreshFileLists();
    void SetHeaderIcons(long& iActiveColumn, long& iSortOrder);

    void Layout();
    // Saves the settings and releases every identifier list; a second run
    // finds nothing left to do and does nothing.
    void Teardown();

    int SplitterPosition = 0;
    HWND TreeViewHwnd = nullptr;
    HWND ListViewHwnd = nullptr;
    std::unique_ptr<cLVHeaderSortIcons> HeaderSortIcons;

    TreeView TreeView1;
    ListView ListView1;
    ImageList ImageList1;
    Frame Frame1;

private:
    static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateChildren();
    void StartUp();
    void SetUpChildren();
    void SetUpListView();
    void SetUpTreeView();
    void LoadSettings();
    void SaveSettings();
    void ConnectEvents();
    void SetGlobals();
    void ReleaseGlobals();
    void OnFrameMouseDown(int button);
    void OnFrameMouseMove(int button, int xTwips);
    void OnFrameMouseUp(int button);

    IUnknown* m_owner;
    HWND m_window = nullptr;
    bool m_tornDown = false;
    bool m_holdsSelf = false;
};

}  // namespace pathwick
