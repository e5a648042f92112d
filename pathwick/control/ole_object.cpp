// SPDX-License-Identifier: BSD-3-Clause
// IOleObject and the view: how a container embeds, activates and closes the control.
#include "pathwick/control/explorer_object.h"

namespace pathwick {

namespace {

constexpr DWORD ControlMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                    OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

}  // namespace

STDMETHODIMP ExplorerObject::SetClientSite(IOleClientSite* site) {
    m_site = com::ComRef<IOleClientSite>::Share(site);
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = m_site.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP ExplorerObject::Close(DWORD) {
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP ExplorerObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) {
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
        return ActivateInPlace(site, parent, position, true);
    case OLEIVERB_INPLACEACTIVATE:
        return ActivateInPlace(site, parent, position, false);
    case OLEIVERB_HIDE:
        if (m_control->hWnd()) ShowWindow(m_control->hWnd(), SW_HIDE);
        return S_OK;
    default:
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

STDMETHODIMP ExplorerObject::EnumVerbs(IEnumOLEVERB** verbs) {
    return OleRegEnumVerbs(CLSID_Explorer, verbs);
}

STDMETHODIMP ExplorerObject::GetUserClassID(CLSID* id) {
    return GetClassID(id);
}

STDMETHODIMP ExplorerObject::GetUserType(DWORD form, LPOLESTR* type) {
    return OleRegGetUserType(CLSID_Explorer, form, type);
}

STDMETHODIMP ExplorerObject::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    m_extent = *size;
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP ExplorerObject::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!m_adviseHolder && FAILED(CreateOleAdviseHolder(m_adviseHolder.Out()))) return E_OUTOFMEMORY;
    return m_adviseHolder->Advise(sink, connection);
}

STDMETHODIMP ExplorerObject::Unadvise(DWORD connection) {
    if (!m_adviseHolder) return OLE_E_NOCONNECTION;
    return m_adviseHolder->Unadvise(connection);
}

STDMETHODIMP ExplorerObject::EnumAdvise(IEnumSTATDATA** advises) {
    if (!m_adviseHolder) {
        if (advises) *advises = nullptr;
        return S_OK;
    }
    return m_adviseHolder->EnumAdvise(advises);
}

STDMETHODIMP ExplorerObject::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = ControlMiscStatus;
    return S_OK;
}

STDMETHODIMP ExplorerObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC target, LPCRECTL bounds,
                                  LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!target || !bounds) return E_INVALIDARG;
    RECT area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    FillRect(target, &area, GetSysColorBrush(COLOR_WINDOW));
    return S_OK;
}

STDMETHODIMP ExplorerObject::SetAdvise(DWORD, DWORD, IAdviseSink* sink) {
    m_viewSink = com::ComRef<IAdviseSink>::Share(sink);
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = DVASPECT_CONTENT;
    if (flags) *flags = 0;
    if (sink) {
        *sink = m_viewSink.Get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

}  // namespace pathwick
