// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/drag_out.h"

#include <ole2.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstring>

namespace pathwick {

namespace {

class FileListSource : public IDataObject, public IDropSource {
public:
    explicit FileListSource(std::vector<std::wstring> paths) : m_paths(std::move(paths)) {}

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDataObject)
            *out = static_cast<IDataObject*>(this);
        else if (iid == IID_IDropSource)
            *out = static_cast<IDropSource*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

    // IDataObject: one format, a file list in global memory.
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        HRESULT usable = QueryGetData(format);
        if (usable != S_OK) return usable;
        HGLOBAL block = MakeFileListBlock(m_paths);
        if (!block) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
        if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        return S_OK;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return SHCreateStdEnumFmtEtc(1, &format, out);
    }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    // IDropSource
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        if (!(keys & (MK_LBUTTON | MK_RBUTTON))) return DRAGDROP_S_DROP;
        return S_OK;
    }
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    virtual ~FileListSource() = default;
    LONG m_refs = 1;
    std::vector<std::wstring> m_paths;
};

}  // namespace

HGLOBAL MakeFileListBlock(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const auto& path : paths) chars += path.size() + 1;
    size_t bytes = sizeof(DROPFILES) + chars * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!block) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    if (!header) {
        GlobalFree(block);
        return nullptr;
    }
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
    for (const auto& path : paths) {
        std::memcpy(text, path.c_str(), path.size() * sizeof(wchar_t));
        text += path.size() + 1;  // the zero is already there
    }
    GlobalUnlock(block);
    return block;
}

DWORD DragOutFiles(const std::vector<std::wstring>& paths) {
    if (paths.empty()) return DROPEFFECT_NONE;
    auto* source = new FileListSource(paths);
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(source, source, DROPEFFECT_COPY, &effect);
    source->Release();
    return effect;
}

}  // namespace pathwick
