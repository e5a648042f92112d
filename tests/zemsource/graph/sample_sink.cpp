// SPDX-License-Identifier: BSD-3-Clause
#include "tests/zemsource/graph/sample_sink.h"

#include <cstring>
#include <mutex>

namespace zemsource_tests {

namespace {

class Sink;

// Enumerates the one pin.
class OnePin final : public IEnumPins {
public:
    explicit OnePin(IPin* pin, ULONG next = 0) : m_pin(pin), m_next(next) { m_pin->AddRef(); }
    ~OnePin() { m_pin->Release(); }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IEnumPins) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = InterlockedDecrement(&m_refs);
        if (!left) delete this;
        return left;
    }
    STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override {
        ULONG given = 0;
        if (count > 0 && m_next == 0) {
            pins[given++] = m_pin;
            m_pin->AddRef();
            m_next = 1;
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        m_next += count;
        return m_next <= 1 ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        m_next = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumPins** out) override {
        *out = new OnePin(m_pin, m_next);
        return S_OK;
    }

private:
    LONG m_refs = 1;
    IPin* m_pin;
    ULONG m_next;
};

class InputPin : public IPin, public IMemInputPin {
public:
    explicit InputPin(Sink& sink) : m_sink(sink) {}
    ~InputPin() {
        if (m_peer) m_peer->Release();
        if (m_type.pbFormat) CoTaskMemFree(m_type.pbFormat);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IPin)
            *out = static_cast<IPin*>(this);
        else if (iid == IID_IMemInputPin)
            *out = static_cast<IMemInputPin*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    STDMETHODIMP ReceiveConnection(IPin* from, const AM_MEDIA_TYPE* type) override {
        if (m_peer) return VFW_E_ALREADY_CONNECTED;
        if (type->majortype != MEDIATYPE_Audio || type->subtype != MEDIASUBTYPE_PCM) return VFW_E_TYPE_NOT_ACCEPTED;
        m_peer = from;
        m_peer->AddRef();
        m_type = *type;
        m_type.pUnk = nullptr;
        m_type.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(type->cbFormat));
        std::memcpy(m_type.pbFormat, type->pbFormat, type->cbFormat);
        return S_OK;
    }
    STDMETHODIMP Disconnect() override {
        if (!m_peer) return S_FALSE;
        m_peer->Release();
        m_peer = nullptr;
        return S_OK;
    }
    STDMETHODIMP ConnectedTo(IPin** pin) override {
        *pin = m_peer;
        if (!m_peer) return VFW_E_NOT_CONNECTED;
        m_peer->AddRef();
        return S_OK;
    }
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override {
        *direction = PINDIR_INPUT;
        return S_OK;
    }
    STDMETHODIMP QueryId(LPWSTR* id) override {
        *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof L"In"));
        std::memcpy(*id, L"In", sizeof L"In");
        return S_OK;
    }
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return S_OK; }
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME, double) override;

    STDMETHODIMP GetAllocator(IMemAllocator**) override { return VFW_E_NO_ALLOCATOR; }
    STDMETHODIMP NotifyAllocator(IMemAllocator*, BOOL) override { return S_OK; }
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* done) override {
        for (*done = 0; *done < count; ++*done)
            if (Receive(samples[*done]) != S_OK) break;
        return S_OK;
    }
    STDMETHODIMP ReceiveCanBlock() override { return S_FALSE; }

private:
    Sink& m_sink;
    IPin* m_peer = nullptr;
    AM_MEDIA_TYPE m_type{};
};

class Sink final : public IBaseFilter {
public:
    Sink() : m_pin(*this), m_ended(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Sink() { CloseHandle(m_ended); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter) {
            *out = static_cast<IBaseFilter*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = InterlockedDecrement(&m_refs);
        if (!left) delete this;
        return left;
    }
    STDMETHODIMP GetClassID(CLSID* id) override {
        *id = GUID_NULL;
        return S_OK;
    }
    STDMETHODIMP Stop() override {
        m_state = State_Stopped;
        return S_OK;
    }
    STDMETHODIMP Pause() override {
        m_state = State_Paused;
        return S_OK;
    }
    STDMETHODIMP Run(REFERENCE_TIME) override {
        m_state = State_Running;
        return S_OK;
    }
    STDMETHODIMP GetState(DWORD, FILTER_STATE* state) override {
        *state = m_state;
        return S_OK;
    }
    STDMETHODIMP SetSyncSource(IReferenceClock*) override { return S_OK; }
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override {
        *clock = nullptr;
        return S_OK;
    }
    STDMETHODIMP EnumPins(IEnumPins** pins) override {
        *pins = new OnePin(&m_pin);
        return S_OK;
    }
    STDMETHODIMP FindPin(LPCWSTR, IPin**) override { return E_NOTIMPL; }
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override {
        std::memcpy(info->achName, L"Sink", sizeof L"Sink");
        info->pGraph = m_graph;
        if (m_graph) m_graph->AddRef();
        return S_OK;
    }
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR) override {
        m_graph = graph;
        return S_OK;
    }
    STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    InputPin m_pin;
    HANDLE m_ended;
    std::mutex m_mutex;
    Recording m_recording;
    bool m_flushing = false;

private:
    LONG m_refs = 1;
    FILTER_STATE m_state = State_Stopped;
    IFilterGraph* m_graph = nullptr;
};

STDMETHODIMP_(ULONG) InputPin::AddRef() { return m_sink.AddRef(); }
STDMETHODIMP_(ULONG) InputPin::Release() { return m_sink.Release(); }

STDMETHODIMP InputPin::QueryPinInfo(PIN_INFO* info) {
    info->pFilter = &m_sink;
    m_sink.AddRef();
    info->dir = PINDIR_INPUT;
    std::memcpy(info->achName, L"In", sizeof L"In");
    return S_OK;
}

STDMETHODIMP InputPin::EndOfStream() {
    std::lock_guard<std::mutex> lock(m_sink.m_mutex);
    ++m_sink.m_recording.endsOfStream;
    SetEvent(m_sink.m_ended);
    return S_OK;
}

STDMETHODIMP InputPin::BeginFlush() {
    std::lock_guard<std::mutex> lock(m_sink.m_mutex);
    m_sink.m_flushing = true;
    ++m_sink.m_recording.flushes;
    return S_OK;
}

STDMETHODIMP InputPin::EndFlush() {
    std::lock_guard<std::mutex> lock(m_sink.m_mutex);
    m_sink.m_flushing = false;
    return S_OK;
}

STDMETHODIMP InputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME, double) {
    std::lock_guard<std::mutex> lock(m_sink.m_mutex);
    m_sink.m_recording.segmentStarts.push_back(start);
    return S_OK;
}

STDMETHODIMP InputPin::Receive(IMediaSample* sample) {
    std::lock_guard<std::mutex> lock(m_sink.m_mutex);
    if (m_sink.m_flushing) return S_FALSE;
    Recording& r = m_sink.m_recording;
    RecordedSample recorded;
    recorded.hasTime = SUCCEEDED(sample->GetTime(&recorded.start, &recorded.stop));
    recorded.discontinuity = sample->IsDiscontinuity() == S_OK;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    recorded.offset = r.bytes.size();
    recorded.length = static_cast<size_t>(sample->GetActualDataLength());
    r.bytes.insert(r.bytes.end(), data, data + recorded.length);
    r.samples.push_back(recorded);
    return S_OK;
}

}  // namespace

IBaseFilter* NewSampleSink() { return new Sink; }

Recording TakeRecording(IBaseFilter* sink) {
    auto* own = static_cast<Sink*>(sink);
    std::lock_guard<std::mutex> lock(own->m_mutex);
    Recording taken = std::move(own->m_recording);
    own->m_recording = Recording();
    ResetEvent(own->m_ended);
    return taken;
}

bool WaitEndOfStream(IBaseFilter* sink, DWORD milliseconds) {
    return WaitForSingleObject(static_cast<Sink*>(sink)->m_ended, milliseconds) == WAIT_OBJECT_0;
}

IPin* SinkPin(IBaseFilter* sink) { return &static_cast<Sink*>(sink)->m_pin; }

}  // namespace zemsource_tests
