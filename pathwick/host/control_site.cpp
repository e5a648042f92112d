// SPDX-License-Identifier: BSD-3-Clause
#include "control_site.h"

namespace pathwick_host {

HRESULT ControlSite::Embed(const wchar_t* progId) {
    CLSID id{};
    HRESULT status = CLSIDFromProgID(progId, &id);
    if (FAILED(status)) return status;
    status = CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(&m_object));
    if (FAILED(status)) return status;
    m_object->SetClientSite(this);
    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(m_object->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)))) {
        persist->InitNew();
        persist->Release();
    }
    RECT area{};
    GetClientRect(m_window, &area);
    return m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_window, &area);
}

void ControlSite::Resize() {
    if (!m_object) return;
    IOleInPlaceObject* inPlace = nullptr;
    if (FAILED(m_object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) return;
    RECT area{};
    GetClientRect(m_window, &area);
    inPlace->SetObjectRects(&area, &area);
    inPlace->Release();
}

HRESULT ControlSite::CallMethod(const wchar_t* name) {
    if (!m_object) return E_FAIL;
    IDispatch* automation = nullptr;
    HRESULT status = m_object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&automation));
    if (FAILED(status)) return status;
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    status = automation->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    DISPPARAMS none{};
    if (SUCCEEDED(status))
        status = automation->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
    automation->Release();
    return status;
}

void ControlSite::Close() {
    if (!m_object) return;
    m_object->Close(OLECLOSE_NOSAVE);
    m_object->SetClientSite(nullptr);
    m_object->Release();
    m_object = nullptr;
    SetActiveObject(nullptr, nullptr);
}

bool ControlSite::TranslateKey(MSG& message) {
    if (!m_active || message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    return m_active->TranslateAccelerator(&message) == S_OK;
}

STDMETHODIMP ControlSite::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
        *out = static_cast<IOleInPlaceFrame*>(this);
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

STDMETHODIMP ControlSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ControlSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = m_window;
    return S_OK;
}

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (frame) *frame = static_cast<IOleInPlaceFrame*>(this);
    if (document) *document = nullptr;
    RECT area{};
    GetClientRect(m_window, &area);
    if (position) *position = area;
    if (clip) *clip = area;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = m_window;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP ControlSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    if (object) object->AddRef();
    if (m_active) m_active->Release();
    m_active = object;
    return S_OK;
}

}  // namespace pathwick_host
