// SPDX-License-Identifier: BSD-3-Clause
// The COM object of the Explorer control: the dual interface _Explorer and the
// interfaces a standard ActiveX container needs to create the control in
// place, size it, give it focus and keyboard input, and close it.
#pragma once

#include "pathwick/control/PathwickControl.h"
#include "com/com_ref.h"
#include "pathwick/control/explorer_control.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>

namespace pathwick {

class ExplorerObject : public _Explorer,
                       public IOleObject,
                       public IOleInPlaceObject,
                       public IOleInPlaceActiveObject,
                       public IOleControl,
                       public IPersistStreamInit,
                       public IPersistPropertyBag,
                       public IProvideClassInfo2,
                       public IViewObject2,
                       public IConnectionPointContainer {
public:
    static HRESULT Create(REFIID iid, void** out);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, through the type library.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                        EXCEPINFO* exception, UINT* badArgument) override;

    // _Explorer
    STDMETHODIMP SortListview() override;
    STDMETHODIMP Terminate() override;
    STDMETHODIMP RefreshFileLists() override;
    STDMETHODIMP SetHeaderIcons(LONG* iActiveColumn, LONG* iSortOrder) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* id) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advises) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG message) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG*) override { return S_OK; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

    // IPersist, IPersistStreamInit, IPersistPropertyBag: the control keeps no properties.
    STDMETHODIMP GetClassID(CLSID* id) override;
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM) override { return S_OK; }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override { return S_OK; }
    STDMETHODIMP Load(IPropertyBag*, IErrorLog*) override { return S_OK; }
    STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return S_OK; }

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // IViewObject2: a windowed control; drawing is only asked for a picture of it.
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC target, LPCRECTL bounds, LPCRECTL,
                      BOOL (STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // IConnectionPointContainer: the event interface declares no events.
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID, IConnectionPoint** point) override;

private:
    ExplorerObject();
    virtual ~ExplorerObject();
    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position, bool uiActivate);
    HRESULT LoadTypeInfo();
    HRESULT InvokeMethod(DISPID id, DISPPARAMS* parameters, UINT* badArgument);
    bool OwnsWindow(HWND window) const;

    LONG m_refs = 1;
    com::ComRef<IOleClientSite> m_site;
    com::ComRef<IOleInPlaceSite> m_inPlaceSite;
    com::ComRef<IOleInPlaceFrame> m_frame;
    com::ComRef<IOleInPlaceUIWindow> m_uiWindow;
    com::ComRef<IOleAdviseHolder> m_adviseHolder;
    com::ComRef<IAdviseSink> m_viewSink;
    com::ComRef<ITypeInfo> m_typeInfo;
    com::ComRef<ITypeInfo> m_classInfo;
    std::unique_ptr<ExplorerControl> m_control;
    SIZEL m_extent = {10583, 7938};  // 400 by 300 pixels at 96 dpi, in hundredths of a millimetre
    bool m_inPlaceActive = false;
    bool m_uiActive = false;
};

}  // namespace pathwick
