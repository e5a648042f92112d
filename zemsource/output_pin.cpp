// SPDX-License-Identifier: BSD-3-Clause
#include "zemsource/output_pin.h"

#include "zemsource/enumerators.h"
#include "zemsource/media_type.h"
#include "zemsource/source_filter.h"


#include <algorithm>
#include <cstring>

namespace zemsource {

namespace {

const wchar_t kPinName[] = L"Output";
// About a tenth of a second per sample, four samples in flight.
constexpr long kBuffers = 4;
constexpr long kSamplesPerSecond = 10;

}  // namespace

OutputPin::OutputPin(SourceFilter& filter) : m_filter(filter), m_seeking(*this, filter) {}

OutputPin::~OutputPin() {
    m_thread.Stop();
    ClearMediaType(m_type);
}

STDMETHODIMP OutputPin::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPin) {
        *out = static_cast<IPin*>(this);
    } else if (iid == IID_IMediaSeeking) {
        *out = static_cast<IMediaSeeking*>(&m_seeking);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) OutputPin::AddRef() { return m_filter.AddRef(); }
STDMETHODIMP_(ULONG) OutputPin::Release() { return m_filter.Release(); }

STDMETHODIMP OutputPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* type) {
    if (!receiver) return E_POINTER;
    FilterLock lock(m_filter);
    if (m_peer) return VFW_E_ALREADY_CONNECTED;
    if (!m_filter.IsStopped()) return VFW_E_NOT_STOPPED;
    AM_MEDIA_TYPE offered{};
    if (!m_filter.HasFile()) return VFW_E_NO_ACCEPTABLE_TYPES;
    HRESULT status = MakeAudioType(m_filter.Format(), offered);
    if (FAILED(status)) return status;
    if (type && !Agrees(*type, offered)) {
        ClearMediaType(offered);
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    if (FAILED(receiver->QueryDirection(&direction)) || direction != PINDIR_INPUT) {
        ClearMediaType(offered);
        return VFW_E_INVALID_DIRECTION;
    }
    status = receiver->ReceiveConnection(this, &offered);
    if (FAILED(status)) {
        ClearMediaType(offered);
        return VFW_E_NO_ACCEPTABLE_TYPES;
    }
    m_peer = com::ComRef<IPin>::Share(receiver);
    m_type = offered;
    status = DecideAllocator();
    if (FAILED(status)) DropConnection(true);
    return status;
}

HRESULT OutputPin::TryAllocator(IMemAllocator* allocator, const ALLOCATOR_PROPERTIES& wanted) {
    ALLOCATOR_PROPERTIES asked = wanted, actual{};
    HRESULT status = allocator->SetProperties(&asked, &actual);
    if (FAILED(status)) return status;
    if (actual.cbBuffer < static_cast<long>(m_filter.Format().blockAlign)) return VFW_E_SIZENOTSET;
    status = m_input->NotifyAllocator(allocator, FALSE);
    if (FAILED(status)) return status;
    m_allocator = com::ComRef<IMemAllocator>::Share(allocator);
    return S_OK;
}

HRESULT OutputPin::DecideAllocator() {
    if (FAILED(m_peer->QueryInterface(IID_IMemInputPin, m_input.OutVoid()))) return VFW_E_NO_TRANSPORT;
    const PcmFormat& format = m_filter.Format();
    ALLOCATOR_PROPERTIES needed{};
    m_input->GetAllocatorRequirements(&needed);
    const long blocks = std::max<long>(1, static_cast<long>(format.samplesPerSec / kSamplesPerSecond));
    ALLOCATOR_PROPERTIES wanted{};
    wanted.cBuffers = std::max(needed.cBuffers, kBuffers);
    wanted.cbBuffer = std::max(needed.cbBuffer, blocks * format.blockAlign);
    wanted.cbAlign = std::max(needed.cbAlign, 1L);
    wanted.cbPrefix = needed.cbPrefix;

    com::ComRef<IMemAllocator> allocator;
    if (SUCCEEDED(m_input->GetAllocator(allocator.Out())) && allocator &&
        SUCCEEDED(TryAllocator(allocator.Get(), wanted)))
        return S_OK;
    HRESULT status = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                      allocator.OutVoid());
    if (FAILED(status)) return status;
    return TryAllocator(allocator.Get(), wanted);
}

void OutputPin::DropConnection(bool disconnectPeer) {
    if (disconnectPeer && m_peer) m_peer->Disconnect();
    m_allocator.Reset();
    m_input.Reset();
    m_peer.Reset();
    ClearMediaType(m_type);
}

STDMETHODIMP OutputPin::Disconnect() {
    FilterLock lock(m_filter);
    if (!m_filter.IsStopped()) return VFW_E_NOT_STOPPED;
    if (!m_peer) return S_FALSE;
    DropConnection(false);
    return S_OK;
}

STDMETHODIMP OutputPin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    FilterLock lock(m_filter);
    *pin = m_peer.Get();
    if (!*pin) return VFW_E_NOT_CONNECTED;
    (*pin)->AddRef();
    return S_OK;
}

STDMETHODIMP OutputPin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    FilterLock lock(m_filter);
    if (!m_peer) {
        std::memset(type, 0, sizeof *type);
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(m_type, *type);
}

STDMETHODIMP OutputPin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = &m_filter;
    info->pFilter->AddRef();
    info->dir = PINDIR_OUTPUT;
    std::memcpy(info->achName, kPinName, sizeof kPinName);
    return S_OK;
}

STDMETHODIMP OutputPin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) return E_POINTER;
    *direction = PINDIR_OUTPUT;
    return S_OK;
}

STDMETHODIMP OutputPin::QueryId(LPWSTR* id) {
    if (!id) return E_POINTER;
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof kPinName));
    if (!*id) return E_OUTOFMEMORY;
    std::memcpy(*id, kPinName, sizeof kPinName);
    return S_OK;
}

STDMETHODIMP OutputPin::QueryAccept(const AM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    FilterLock lock(m_filter);
    if (!m_filter.HasFile()) return S_FALSE;
    AM_MEDIA_TYPE offered{};
    if (FAILED(MakeAudioType(m_filter.Format(), offered))) return E_OUTOFMEMORY;
    const bool same = type->formattype == offered.formattype && Agrees(*type, offered);
    ClearMediaType(offered);
    return same ? S_OK : S_FALSE;
}

STDMETHODIMP OutputPin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types) return E_POINTER;
    FilterLock lock(m_filter);
    if (!m_filter.HasFile()) return NewMediaTypeEnumerator(nullptr, types);
    AM_MEDIA_TYPE offered{};
    HRESULT status = MakeAudioType(m_filter.Format(), offered);
    if (FAILED(status)) return status;
    status = NewMediaTypeEnumerator(&offered, types);
    ClearMediaType(offered);
    return status;
}

HRESULT OutputPin::StartThread() {
    StreamJob job;
    m_seeking.Segment(job.start, job.stop);
    if (FAILED(zem_seek(m_filter.Decoder(), job.start))) return E_UNEXPECTED;
    const PcmFormat& format = m_filter.Format();
    job.decoder = m_filter.Decoder();
    job.peer = m_peer.Get();
    job.input = m_input.Get();
    job.allocator = m_allocator.Get();
    job.events = m_events.Get();
    job.sampleRate = format.samplesPerSec;
    job.blockAlign = format.blockAlign;
    job.bitsPerSample = format.bitsPerSample;
    return m_thread.Start(job);
}

void OutputPin::StopThread(bool flush) {
    if (!m_thread.Running()) return;
    m_thread.RequestStop();
    if (flush) m_peer->BeginFlush();
    m_allocator->Decommit();
    m_thread.Stop();
    if (flush) m_peer->EndFlush();
}

HRESULT OutputPin::Activate() {
    if (!m_peer) return S_OK;
    HRESULT status = m_allocator->Commit();
    if (FAILED(status)) return status;
    m_events.Reset();
    if (IFilterGraph* graph = m_filter.Graph()) graph->QueryInterface(IID_IMediaEventSink, m_events.OutVoid());
    status = StartThread();
    if (FAILED(status)) {
        m_allocator->Decommit();
        m_events.Reset();
    }
    return status;
}

void OutputPin::Deactivate() {
    if (!m_peer) return;
    StopThread(false);
    m_allocator->Decommit();
    m_events.Reset();
}

HRESULT OutputPin::Restart() {
    if (!m_peer) return S_OK;
    StopThread(true);
    HRESULT status = m_allocator->Commit();
    if (FAILED(status)) return status;
    return StartThread();
}

}  // namespace zemsource
