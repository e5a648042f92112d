// SPDX-License-Identifier: BSD-3-Clause
#include "mfsource/byte_stream_handler.h"

#include "com/com_ref.h"
#include "com/server_module.h"
#include "mfsource/byte_stream_handler_interface.h"
#include "mfsource/byte_stream_io.h"
#include "mfsource/media_source.h"

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <shlwapi.h>
#include <zem/zem.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace mfsource {

namespace {

using com::ComRef;

const char kLinkHeader[] = ZEM_LINK_HEADER;
// Link files have always been read with their header anywhere in the first kilobyte.
constexpr ULONG kLinkHeaderWindow = 1024;

// Whether the byte stream holds a link file; the position is back at 0 afterwards.
bool IsLinkFile(IMFByteStream* bytes) {
    char head[kLinkHeaderWindow] = {};
    ULONG got = 0;
    bytes->SetCurrentPosition(0);
    const bool read = SUCCEEDED(bytes->Read(reinterpret_cast<BYTE*>(head), sizeof(head), &got));
    bytes->SetCurrentPosition(0);
    if (!read) return false;
    const size_t length = sizeof(kLinkHeader) - 1;
    for (size_t at = 0; at + length <= got; ++at)
        if (std::memcmp(head + at, kLinkHeader, length) == 0) return true;
    return false;
}

std::string Utf8(const std::wstring& wide) {
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.c_str(), -1, nullptr, 0, nullptr,
                                          nullptr);
    if (bytes <= 1) return std::string();
    std::string text(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.c_str(), -1, &text[0], bytes, nullptr, nullptr);
    text.pop_back();
    return text;
}

// The file a byte stream came from: its origin name, else the URL (a file: URL becomes a path).
std::wstring OriginOf(IMFByteStream* bytes, const wchar_t* url) {
    std::wstring origin;
    ComRef<IMFAttributes> attributes;
    wchar_t* name = nullptr;
    UINT32 length = 0;
    if (SUCCEEDED(bytes->QueryInterface(IID_IMFAttributes, attributes.OutVoid())) &&
        SUCCEEDED(attributes->GetAllocatedString(MF_BYTESTREAM_ORIGIN_NAME, &name, &length))) {
        origin = name;
        CoTaskMemFree(name);
    } else if (url) {
        origin = url;
    }
    if (origin.compare(0, 5, L"file:") == 0) {
        wchar_t path[MAX_PATH * 4] = {};
        DWORD size = static_cast<DWORD>(sizeof(path) / sizeof(path[0]));
        origin = SUCCEEDED(PathCreateFromUrlW(origin.c_str(), path, &size, 0)) ? path : L"";
    }
    return origin;
}

HRESULT OpenSource(IMFByteStream* bytes, const wchar_t* url, IMFMediaSource** source) {
    int error = ZEM_OK;
    zem_decoder* d = nullptr;
    if (IsLinkFile(bytes)) {
        const std::string path = Utf8(OriginOf(bytes, url));
        if (path.empty()) return MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
        d = zem_open(path.c_str(), &error);
        if (!d)
            return error == ZEM_ERROR_PATH_REFUSED ? E_ACCESSDENIED : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    } else {
        DWORD capabilities = 0;
        bytes->GetCapabilities(&capabilities);
        d = zem_open_io(&ByteStreamIo((capabilities & MFBYTESTREAM_IS_SEEKABLE) != 0), bytes, &error);
        if (!d) return error == ZEM_ERROR_NO_MEMORY ? E_OUTOFMEMORY : MF_E_UNSUPPORTED_FORMAT;
    }
    std::unique_ptr<PcmReader> reader(new (std::nothrow) PcmReader(d));
    if (!reader) {
        zem_close(d);
        return E_OUTOFMEMORY;
    }
    return MediaSource::Create(std::move(reader), bytes, source);
}

class ByteStreamHandler final : public IMFByteStreamHandler {
public:
    ByteStreamHandler() { com::LockModule(); }
    ByteStreamHandler(const ByteStreamHandler&) = delete;
    ByteStreamHandler& operator=(const ByteStreamHandler&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != kIID_IMFByteStreamHandler) return E_NOINTERFACE;
        *out = static_cast<IMFByteStreamHandler*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // The source is made at once (opening reads only the stream's front); the
    // callback hears of it through the work queue, as the resolver expects.
    STDMETHODIMP BeginCreateObject(IMFByteStream* bytes, LPCWSTR url, DWORD flags, IPropertyStore*,
                                   IUnknown** cancelCookie, IMFAsyncCallback* callback, IUnknown* state) override {
        if (cancelCookie) *cancelCookie = nullptr;
        if (!bytes || !callback) return E_POINTER;
        if (!(flags & MF_RESOLUTION_MEDIASOURCE)) return E_INVALIDARG;
        ComRef<IMFMediaSource> source;
        const HRESULT opened = OpenSource(bytes, url, source.Out());
        ComRef<IMFAsyncResult> result;
        HRESULT status = MFCreateAsyncResult(source.Get(), callback, state, result.Out());
        if (FAILED(status)) return status;
        result->SetStatus(opened);
        return MFInvokeCallback(result.Get());
    }
    STDMETHODIMP EndCreateObject(IMFAsyncResult* result, MF_OBJECT_TYPE* type, IUnknown** object) override {
        if (!result || !type || !object) return E_POINTER;
        *type = MF_OBJECT_INVALID;
        *object = nullptr;
        HRESULT status = result->GetStatus();
        if (FAILED(status)) return status;
        if (FAILED(status = result->GetObject(object))) return status;
        *type = MF_OBJECT_MEDIASOURCE;
        return S_OK;
    }
    STDMETHODIMP CancelObjectCreation(IUnknown*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMaxNumberOfBytesRequiredForResolution(QWORD* bytes) override {
        if (!bytes) return E_POINTER;
        *bytes = kLinkHeaderWindow;
        return S_OK;
    }

private:
    ~ByteStreamHandler() { com::UnlockModule(); }
    LONG m_references = 1;
};

}  // namespace

HRESULT CreateByteStreamHandler(REFIID iid, void** out) {
    auto* handler = new (std::nothrow) ByteStreamHandler();
    if (!handler) return E_OUTOFMEMORY;
    const HRESULT status = handler->QueryInterface(iid, out);
    handler->Release();
    return status;
}

}  // namespace mfsource
