// SPDX-License-Identifier: BSD-3-Clause
// Identity, automation and class information of the control object.
#include "pathwick/control/explorer_object.h"

#include "com/server_module.h"

namespace pathwick {

ExplorerObject::ExplorerObject() : m_control(std::make_unique<ExplorerControl>(static_cast<_Explorer*>(this))) {
    com::LockModule();
}

ExplorerObject::~ExplorerObject() {
    m_control.reset();  // its teardown, when Terminate did not run it
    com::UnlockModule();
}

HRESULT ExplorerObject::Create(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* object = new (std::nothrow) ExplorerObject();
    if (!object) return E_OUTOFMEMORY;
    HRESULT status = object->QueryInterface(iid, out);
    object->Release();
    return status;
}

STDMETHODIMP ExplorerObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__Explorer)
        *out = static_cast<_Explorer*>(this);
    else if (iid == IID_IOleObject)
        *out = static_cast<IOleObject*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
        *out = static_cast<IOleInPlaceObject*>(this);
    else if (iid == IID_IOleInPlaceActiveObject)
        *out = static_cast<IOleInPlaceActiveObject*>(this);
    else if (iid == IID_IOleControl)
        *out = static_cast<IOleControl*>(this);
    else if (iid == IID_IPersist || iid == IID_IPersistStreamInit)
        *out = static_cast<IPersistStreamInit*>(this);
    else if (iid == IID_IPersistPropertyBag)
        *out = static_cast<IPersistPropertyBag*>(this);
    else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2)
        *out = static_cast<IProvideClassInfo2*>(this);
    else if (iid == IID_IViewObject || iid == IID_IViewObject2)
        *out = static_cast<IViewObject2*>(this);
    else if (iid == IID_IConnectionPointContainer)
        *out = static_cast<IConnectionPointContainer*>(this);
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ExplorerObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) ExplorerObject::Release() {
    LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

HRESULT ExplorerObject::LoadTypeInfo() {
    if (m_typeInfo) return S_OK;
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameW(com::ModuleHandle(), path, MAX_PATH)) return E_FAIL;
    com::ComRef<ITypeLib> library;
    HRESULT status = LoadTypeLibEx(path, REGKIND_NONE, library.Out());
    if (FAILED(status)) return status;
    status = library->GetTypeInfoOfGuid(IID__Explorer, m_typeInfo.Out());
    if (FAILED(status)) return status;
    return library->GetTypeInfoOfGuid(CLSID_Explorer, m_classInfo.Out());
}

STDMETHODIMP ExplorerObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    HRESULT status = LoadTypeInfo();
    if (FAILED(status)) return status;
    *info = m_typeInfo.Get();
    (*info)->AddRef();
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    HRESULT status = LoadTypeInfo();
    if (FAILED(status)) return status;
    return DispGetIDsOfNames(m_typeInfo.Get(), names, count, ids);
}

// Calls are dispatched here rather than through ITypeInfo::Invoke: script
// hosts hand variables over by reference as VT_VARIANT | VT_BYREF, which a
// type-driven call may refuse for a long* parameter (some implementations do),
// and a refused argument should always be a type mismatch with its index.
STDMETHODIMP ExplorerObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                    EXCEPINFO*, UINT* badArgument) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantInit(result);  // every method returns nothing
    return InvokeMethod(id, parameters, badArgument);
}

STDMETHODIMP ExplorerObject::SortListview() {
    m_control->SortListview();
    return S_OK;
}

STDMETHODIMP ExplorerObject::Terminate() {
    m_control->Terminate();
    return S_OK;
}

STDMETHODIMP ExplorerObject::RefreshFileLists() {
    m_control->RefreshFileLists();
    return S_OK;
}

STDMETHODIMP ExplorerObject::SetHeaderIcons(LONG* iActiveColumn, LONG* iSortOrder) {
    if (!iActiveColumn || !iSortOrder) return E_POINTER;
    long column = *iActiveColumn, order = *iSortOrder;
    m_control->SetHeaderIcons(column, order);
    *iActiveColumn = column;
    *iSortOrder = order;
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetClassID(CLSID* id) {
    if (!id) return E_POINTER;
    *id = CLSID_Explorer;
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    HRESULT status = LoadTypeInfo();
    if (FAILED(status)) return status;
    *info = m_classInfo.Get();
    (*info)->AddRef();
    return S_OK;
}

STDMETHODIMP ExplorerObject::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = DIID___Explorer;
    return S_OK;
}

STDMETHODIMP ExplorerObject::FindConnectionPoint(REFIID, IConnectionPoint** point) {
    if (point) *point = nullptr;
    return CONNECT_E_NOCONNECTION;
}

}  // namespace pathwick
