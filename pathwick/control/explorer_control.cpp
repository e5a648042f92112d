// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/explorer_control.h"

#include "pathwick/control/mGlobal.h"
#include "pathwick/control/mListviewDefs.h"
#include "pathwick/control/mTreeviewDefs.h"
#include "pathwick/control/mWndProc.h"
#include "com/server_module.h"

namespace pathwick {

namespace {

const wchar_t* const ControlClass = L"PathwickExplorer";
enum ChildId { TreeId = 1, FrameId = 2, ListId = 3 };

bool RegisterControlClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = com::ModuleHandle();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = ControlClass;
    return RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

ExplorerControl::~ExplorerControl() {
    Teardown();
    if (m_window && IsWindow(m_window)) DestroyWindow(m_window);
}

bool ExplorerControl::Create(HWND parent, const RECT& position) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterControlClass(&ExplorerControl::ControlProc)) return false;
    m_window = CreateWindowExW(WS_EX_CONTROLPARENT, ControlClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE,
                               position.left, position.top, position.right - position.left,
                               position.bottom - position.top, parent, nullptr, com::ModuleHandle(), this);
    if (!m_window || !CreateChildren()) return false;
    StartUp();
    return true;
}

bool ExplorerControl::CreateChildren() {
    if (!TreeView1.Create(m_window, TreeId) || !Frame1.Create(m_window, FrameId) || !ListView1.Create(m_window, ListId))
        return false;
    ImageList1.CreateArrows();
    ConnectEvents();
    return true;
}

void ExplorerControl::ConnectEvents() {
    TreeView1.OnMouseDown = &TreeViewMouseDown;
    TreeView1.OnKeyDown = &TreeViewKeyDown;
    TreeView1.OnStartDrag = &TreeViewStartDrag;
    ListView1.OnColumnClick = &ListViewColumnClick;
    ListView1.OnKeyDown = &ListViewKeyDown;
    ListView1.OnStartDrag = &ListViewStartDrag;
    Frame1.OnMouseDown = [this](int button, int, int) { OnFrameMouseDown(button); };
    Frame1.OnMouseMove = [this](int button, int x, int) { OnFrameMouseMove(button, x); };
    Frame1.OnMouseUp = [this](int button, int, int) { OnFrameMouseUp(button); };
}

LRESULT CALLBACK ExplorerControl::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<ExplorerControl*>(create->lpCreateParams)->m_window = window;
    }
    auto* control = reinterpret_cast<ExplorerControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    return control->HandleMessage(message, wParam, lParam);
}

LRESULT ExplorerControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_NOTIFY: {
        // No container reflects notifications here: send them back to the
        // tree or list that sent them, as the reflected message.
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && (header->hwndFrom == TreeViewHwnd || header->hwndFrom == ListViewHwnd))
            return SendMessageW(header->hwndFrom, ReflectedNotifyMessage, wParam, lParam);
        break;
    }
    case WM_SETFOCUS:
        if (TreeViewHwnd) SetFocus(TreeViewHwnd);
        return 0;
    case WM_DESTROY:
        Teardown();  // the control terminates with its window
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        m_window = nullptr;
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void ExplorerControl::SetGlobals() {
    if (!m_holdsSelf && m_owner) {
        m_owner->AddRef();  // gExplorer is a strong reference, dropped by Terminate
        m_holdsSelf = true;
    }
    gExplorer = this;
    gTreeView = &TreeView1;
    gListView = &ListView1;
    gImageList = &ImageList1;
}

void ExplorerControl::ReleaseGlobals() {
    if (gExplorer == this) {
        gExplorer = nullptr;
        gTreeView = nullptr;
        gListView = nullptr;
        gImageList = nullptr;
    }
    if (m_holdsSelf) {
        m_holdsSelf = false;
        m_owner->Release();
    }
}

}  // namespace pathwick
