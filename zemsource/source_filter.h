// SPDX-License-Identifier: BSD-3-Clause
// The ZEM source filter: IBaseFilter with one output pin, and
// IFileSourceFilter, whose Load opens a ".zem" or ".qrb" stream or a ".zlk"
// link file (its track only) through libzem. The pin delivers the decoded
// PCM; see output_pin.h and stream_thread.h.
#pragma once

#include "com/com_ref.h"
#include "zemsource/output_pin.h"
#include "zemsource/pcm_format.h"
#include "zemsource/scoped_section.h"

#include <zem/zem.h>

#include <windows.h>
#include <dshow.h>

#include <string>

namespace zemsource {

class SourceFilter final : public IBaseFilter, public IFileSourceFilter {
public:
    static HRESULT Create(REFIID iid, void** out);

    // For the pin and its seeking: one lock guards the filter's state and the
    // connection, and is held while the streaming thread is started and
    // stopped. The streaming thread never takes it, nor anything it calls
    // downstream: the positions have a lock of their own (seeking.h).
    CRITICAL_SECTION& Lock() { return m_lock; }
    bool IsStopped() const { return m_state == State_Stopped; }
    bool HasFile() const { return m_decoder != nullptr; }
    const PcmFormat& Format() const { return m_format; }
    uint32_t SampleRate() const { return m_format.samplesPerSec; }
    zem_decoder* Decoder() const { return m_decoder; }
    IFilterGraph* Graph() const { return m_graph; }
    // The positions changed: streaming, when active, goes on from the new segment.
    HRESULT Reposition();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist, IMediaFilter, IBaseFilter
    STDMETHODIMP GetClassID(CLSID* id) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    // IFileSourceFilter
    STDMETHODIMP Load(LPCOLESTR fileName, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* type) override;

private:
    SourceFilter();
    ~SourceFilter();

    LONG m_refs = 1;
    CRITICAL_SECTION m_lock;
    FILTER_STATE m_state = State_Stopped;
    IFilterGraph* m_graph = nullptr;  // not counted: the graph holds the filter
    std::wstring m_name;
    com::ComRef<IReferenceClock> m_clock;
    std::wstring m_file;
    zem_decoder* m_decoder = nullptr;
    PcmFormat m_format;
    OutputPin m_pin;
};

// Holds the filter's lock for a scope.
class FilterLock : public ScopedSection {
public:
    explicit FilterLock(SourceFilter& filter) : ScopedSection(filter.Lock()) {}
};

}  // namespace zemsource
