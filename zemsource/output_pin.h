// SPDX-License-Identifier: BSD-3-Clause
// The filter's one output pin: offers the stream's PCM type, connects to an
// input pin that takes samples through IMemInputPin (on the allocator that pin
// proposes, or on the system's memory allocator), and runs the streaming
// thread while the filter is paused or running. It answers IMediaSeeking too,
// which is where the graph's seeking arrives through the renderer.
#pragma once

#include "com/com_ref.h"
#include "zemsource/seeking.h"
#include "zemsource/stream_thread.h"

#include <windows.h>
#include <dshow.h>

namespace zemsource {

class SourceFilter;

class OutputPin : public IPin {
public:
    explicit OutputPin(SourceFilter& filter);
    ~OutputPin();

    Seeking& Positions() { return m_seeking; }
    bool IsConnected() const { return static_cast<bool>(m_peer); }
    // Filter state changes, called with the filter's lock held: start
    // streaming at the segment's start (stopped to paused), stop it
    // (to stopped), and start again from the new segment after a seek.
    HRESULT Activate();
    void Deactivate();
    HRESULT Restart();

    // IUnknown: the pin lives and dies with its filter.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin
    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
    STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

private:
    HRESULT DecideAllocator();
    HRESULT TryAllocator(IMemAllocator* allocator, const ALLOCATOR_PROPERTIES& wanted);
    void DropConnection(bool disconnectPeer);
    HRESULT StartThread();
    void StopThread(bool flush);

    SourceFilter& m_filter;
    Seeking m_seeking;
    com::ComRef<IPin> m_peer;
    com::ComRef<IMemInputPin> m_input;
    com::ComRef<IMemAllocator> m_allocator;
    com::ComRef<IMediaEventSink> m_events;
    AM_MEDIA_TYPE m_type{};
    StreamThread m_thread;
};

}  // namespace zemsource
