// SPDX-License-Identifier: BSD-3-Clause
#include "shellprops/property_handler.h"

#include "com/server_module.h"
#include "shellprops/property_list.h"
#include "shellprops/stream_io.h"
#include "shellprops/track_properties.h"

#include <propsys.h>
#include <shobjidl.h>

#include <new>
#include <string>

namespace shellprops {

namespace {

// How the library's failures reach the shell.
HRESULT FromZemError(int error) {
    switch (error) {
    case ZEM_OK: return S_OK;
    case ZEM_ERROR_NO_MEMORY: return E_OUTOFMEMORY;
    case ZEM_ERROR_CANNOT_OPEN: return STG_E_FILENOTFOUND;
    case ZEM_ERROR_READ_FAILED: return STG_E_READFAULT;
    case ZEM_ERROR_PATH_REFUSED: return E_ACCESSDENIED;
    case ZEM_ERROR_INVALID_ARGUMENT: return E_INVALIDARG;
    default: return HRESULT_FROM_WIN32(ERROR_BAD_FORMAT);
    }
}

std::string Utf8(const wchar_t* wide) {
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return std::string();
    std::string text(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, &text[0], bytes, nullptr, nullptr);
    text.pop_back();
    return text;
}

enum class Source { Stream, File };

class PropertyHandler final : public IPropertyStore,
                              public IPropertyStoreCapabilities,
                              public IInitializeWithStream,
                              public IInitializeWithFile {
public:
    explicit PropertyHandler(Source source) : m_source(source) { com::LockModule(); }
    PropertyHandler(const PropertyHandler&) = delete;
    PropertyHandler& operator=(const PropertyHandler&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IPropertyStore)
            *out = static_cast<IPropertyStore*>(this);
        else if (iid == IID_IPropertyStoreCapabilities)
            *out = static_cast<IPropertyStoreCapabilities*>(this);
        else if (iid == IID_IInitializeWithStream && m_source == Source::Stream)
            *out = static_cast<IInitializeWithStream*>(this);
        else if (iid == IID_IInitializeWithFile && m_source == Source::File)
            *out = static_cast<IInitializeWithFile*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IInitializeWithStream: the stream is read here and not kept.
    STDMETHODIMP Initialize(IStream* stream, DWORD mode) override {
        if (!stream) return E_POINTER;
        if (m_initialized) return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
        if ((mode & (STGM_WRITE | STGM_READWRITE)) != 0) return STG_E_ACCESSDENIED;
        TrackProperties track;
        LARGE_INTEGER start = {};
        if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return STG_E_READFAULT;
        const HRESULT status =
            FromZemError(ReadStreamProperties(&StreamIo(), stream, StreamSize(stream), track));
        return SUCCEEDED(status) ? Take(track) : status;
    }

    // IInitializeWithFile
    STDMETHODIMP Initialize(LPCWSTR path, DWORD mode) override {
        if (!path) return E_POINTER;
        if (m_initialized) return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
        if ((mode & (STGM_WRITE | STGM_READWRITE)) != 0) return STG_E_ACCESSDENIED;
        const std::string utf8 = Utf8(path);
        if (utf8.empty()) return E_INVALIDARG;
        TrackProperties track;
        const HRESULT status = FromZemError(ReadFileProperties(utf8.c_str(), track));
        return SUCCEEDED(status) ? Take(track) : status;
    }

    // IPropertyStore
    STDMETHODIMP GetCount(DWORD* count) override {
        if (!count) return E_POINTER;
        *count = m_values.Count();
        return S_OK;
    }
    STDMETHODIMP GetAt(DWORD index, PROPERTYKEY* key) override {
        if (!key) return E_POINTER;
        return m_values.KeyAt(index, *key) ? S_OK : E_INVALIDARG;
    }
    STDMETHODIMP GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override {
        if (!value) return E_POINTER;
        return m_values.Copy(key, *value);
    }
    STDMETHODIMP SetValue(REFPROPERTYKEY, REFPROPVARIANT) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP Commit() override { return STG_E_ACCESSDENIED; }

    // IPropertyStoreCapabilities: nothing is written back into the files.
    STDMETHODIMP IsPropertyWritable(REFPROPERTYKEY) override { return S_FALSE; }

private:
    ~PropertyHandler() { com::UnlockModule(); }

    HRESULT Take(const TrackProperties& track) {
        if (!m_values.Fill(track)) return E_OUTOFMEMORY;
        m_initialized = true;
        return S_OK;
    }

    LONG m_references = 1;
    const Source m_source;
    bool m_initialized = false;
    PropertyList m_values;
};

HRESULT Create(Source source, REFIID iid, void** out) {
    auto* handler = new (std::nothrow) PropertyHandler(source);
    if (!handler) return E_OUTOFMEMORY;
    const HRESULT status = handler->QueryInterface(iid, out);
    handler->Release();
    return status;
}

}  // namespace

HRESULT CreateStreamHandler(REFIID iid, void** out) { return Create(Source::Stream, iid, out); }
HRESULT CreateLinkHandler(REFIID iid, void** out) { return Create(Source::File, iid, out); }

}  // namespace shellprops
