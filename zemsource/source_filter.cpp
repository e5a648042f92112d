// SPDX-License-Identifier: BSD-3-Clause
#include "zemsource/source_filter.h"

#include "zemsource/enumerators.h"
#include "zemsource/guids.h"
#include "zemsource/media_type.h"
#include "com/server_module.h"

#include <cstring>
#include <new>

namespace zemsource {

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

HRESULT OpenFailure(int error) {
    switch (error) {
    case ZEM_ERROR_CANNOT_OPEN: return VFW_E_NOT_FOUND;
    case ZEM_ERROR_NO_MEMORY: return E_OUTOFMEMORY;
    case ZEM_ERROR_INVALID_ARGUMENT: return E_INVALIDARG;
    // A link file naming \\host\share\...: opening it would send the user's
    // credentials to a machine the file chose.
    case ZEM_ERROR_PATH_REFUSED: return E_ACCESSDENIED;
    default: return VFW_E_UNSUPPORTED_STREAM;
    }
}

LPWSTR TaskCopy(const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (copy) std::memcpy(copy, text.c_str(), bytes);
    return copy;
}

}  // namespace

SourceFilter::SourceFilter() : m_pin(*this) {
    InitializeCriticalSection(&m_lock);
    com::LockModule();
}

SourceFilter::~SourceFilter() {
    m_pin.Deactivate();
    zem_close(m_decoder);
    DeleteCriticalSection(&m_lock);
    com::UnlockModule();
}

HRESULT SourceFilter::Create(REFIID iid, void** out) {
    auto* filter = new (std::nothrow) SourceFilter;
    if (!filter) return E_OUTOFMEMORY;
    HRESULT status = filter->QueryInterface(iid, out);
    filter->Release();
    return status;
}

STDMETHODIMP SourceFilter::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter) {
        *out = static_cast<IBaseFilter*>(this);
    } else if (iid == IID_IFileSourceFilter) {
        *out = static_cast<IFileSourceFilter*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) SourceFilter::AddRef() { return InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) SourceFilter::Release() {
    const ULONG left = InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP SourceFilter::GetClassID(CLSID* id) {
    if (!id) return E_POINTER;
    *id = CLSID_ZemSource;
    return S_OK;
}

STDMETHODIMP SourceFilter::Stop() {
    FilterLock lock(*this);
    if (m_state != State_Stopped) m_pin.Deactivate();
    m_state = State_Stopped;
    return S_OK;
}

STDMETHODIMP SourceFilter::Pause() {
    FilterLock lock(*this);
    if (m_state == State_Stopped) {
        HRESULT status = m_pin.Activate();
        if (FAILED(status)) return status;
    }
    m_state = State_Paused;
    return S_OK;
}

STDMETHODIMP SourceFilter::Run(REFERENCE_TIME) {
    FilterLock lock(*this);
    if (m_state == State_Stopped) {
        HRESULT status = m_pin.Activate();
        if (FAILED(status)) return status;
    }
    m_state = State_Running;
    return S_OK;
}

STDMETHODIMP SourceFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    FilterLock lock(*this);
    *state = m_state;
    return S_OK;
}

STDMETHODIMP SourceFilter::SetSyncSource(IReferenceClock* clock) {
    FilterLock lock(*this);
    m_clock = com::ComRef<IReferenceClock>::Share(clock);
    return S_OK;
}

STDMETHODIMP SourceFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return E_POINTER;
    FilterLock lock(*this);
    *clock = m_clock.Get();
    if (*clock) (*clock)->AddRef();
    return S_OK;
}

STDMETHODIMP SourceFilter::EnumPins(IEnumPins** pins) { return NewPinEnumerator(&m_pin, pins); }

STDMETHODIMP SourceFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    if (std::wcscmp(id, L"Output") != 0) return VFW_E_NOT_FOUND;
    *pin = &m_pin;
    m_pin.AddRef();
    return S_OK;
}

STDMETHODIMP SourceFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    FilterLock lock(*this);
    std::memset(info->achName, 0, sizeof info->achName);
    m_name.copy(info->achName, MAX_FILTER_NAME - 1);
    info->pGraph = m_graph;
    if (m_graph) m_graph->AddRef();
    return S_OK;
}

STDMETHODIMP SourceFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    FilterLock lock(*this);
    m_graph = graph;
    m_name = name ? name : L"";
    return S_OK;
}

STDMETHODIMP SourceFilter::Load(LPCOLESTR fileName, const AM_MEDIA_TYPE*) {
    if (!fileName) return E_POINTER;
    FilterLock lock(*this);
    if (m_decoder) return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
    int error = ZEM_OK;
    zem_decoder* decoder = zem_open_ex(Utf8(fileName).c_str(), 0, &error, nullptr, 0);
    if (!decoder) return OpenFailure(error);
    zem_stream_info info{};
    PcmFormat format;
    if (zem_get_info(decoder, &info) != ZEM_OK ||
        !MakePcmFormat(info.sample_rate, info.channels, info.bits_per_sample, format)) {
        zem_close(decoder);
        return VFW_E_UNSUPPORTED_AUDIO;
    }
    m_decoder = decoder;
    m_format = format;
    m_file = fileName;
    m_pin.Positions().Reset(info.total_blocks);
    return S_OK;
}

STDMETHODIMP SourceFilter::GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* type) {
    if (!fileName) return E_POINTER;
    FilterLock lock(*this);
    *fileName = nullptr;
    if (type) std::memset(type, 0, sizeof *type);
    if (!m_decoder) return E_FAIL;
    *fileName = TaskCopy(m_file);
    if (!*fileName) return E_OUTOFMEMORY;
    if (type && FAILED(MakeAudioType(m_format, *type))) {
        CoTaskMemFree(*fileName);
        *fileName = nullptr;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT SourceFilter::Reposition() {
    if (m_state == State_Stopped) return S_OK;
    return m_pin.Restart();
}

}  // namespace zemsource
