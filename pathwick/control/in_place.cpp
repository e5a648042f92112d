// SPDX-License-Identifier: BSD-3-Clause
// In-place activation: the control's window inside the container's, its size,
// focus and keyboard input.
#include "pathwick/control/explorer_object.h"

namespace pathwick {

HRESULT ExplorerObject::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position, bool uiActivate) {
    if (site && site != m_site.Get()) m_site = com::ComRef<IOleClientSite>::Share(site);
    if (!m_inPlaceActive) {
        if (!m_site || FAILED(m_site->QueryInterface(IID_IOleInPlaceSite, m_inPlaceSite.OutVoid()))) return E_FAIL;
        if (m_inPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
        m_inPlaceSite->OnInPlaceActivate();
        m_inPlaceActive = true;
        HWND siteWindow = nullptr;
        if (SUCCEEDED(m_inPlaceSite->GetWindow(&siteWindow)) && siteWindow) parent = siteWindow;
        RECT placed = position ? *position : RECT{0, 0, 400, 300};
        RECT clip = placed;
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof frameInfo;
        // The site's rectangle, when it gives one, wins over the one DoVerb gave.
        m_inPlaceSite->GetWindowContext(m_frame.Out(), m_uiWindow.Out(), &placed, &clip, &frameInfo);
        if (!m_control->hWnd() && (!parent || !m_control->Create(parent, placed))) return E_FAIL;
        SetParent(m_control->hWnd(), parent);
        SetObjectRects(&placed, &clip);
        ShowWindow(m_control->hWnd(), SW_SHOW);
    }
    if (uiActivate && !m_uiActive) {
        m_uiActive = true;
        m_inPlaceSite->OnUIActivate();
        if (m_frame) m_frame->SetActiveObject(this, L"Explorer");
        if (m_uiWindow) m_uiWindow->SetActiveObject(this, L"Explorer");
        SetFocus(m_control->hWnd());
    }
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = m_control->hWnd();
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP ExplorerObject::UIDeactivate() {
    if (!m_uiActive) return S_OK;
    m_uiActive = false;
    if (m_frame) m_frame->SetActiveObject(nullptr, nullptr);
    if (m_uiWindow) m_uiWindow->SetActiveObject(nullptr, nullptr);
    if (m_inPlaceSite) m_inPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP ExplorerObject::InPlaceDeactivate() {
    if (!m_inPlaceActive) return S_OK;
    UIDeactivate();
    m_inPlaceActive = false;
    if (m_control->hWnd()) ShowWindow(m_control->hWnd(), SW_HIDE);
    if (m_inPlaceSite) m_inPlaceSite->OnInPlaceDeactivate();
    m_frame.Reset();
    m_uiWindow.Reset();
    m_inPlaceSite.Reset();
    return S_OK;
}

STDMETHODIMP ExplorerObject::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    if (m_control->hWnd())
        MoveWindow(m_control->hWnd(), position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    return S_OK;
}

bool ExplorerObject::OwnsWindow(HWND window) const {
    HWND own = m_control->hWnd();
    return own && window && (window == own || IsChild(own, window));
}

// Keys for the tree and the list go straight to them, so that a container
// whose loop treats arrows, Backspace or F5 as its own still lets them work.
STDMETHODIMP ExplorerObject::TranslateAccelerator(LPMSG message) {
    if (!message || message->message < WM_KEYFIRST || message->message > WM_KEYLAST) return S_FALSE;
    if (!OwnsWindow(message->hwnd) || message->wParam == VK_TAB) return S_FALSE;
    TranslateMessage(message);
    DispatchMessageW(message);
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->cb = sizeof *info;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

}  // namespace pathwick
