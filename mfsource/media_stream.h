// SPDX-License-Identifier: BSD-3-Clause
// The source's one stream: its descriptor, its own event queue, and sample
// requests, which the source answers on this stream's queue.
#pragma once

#include "com/com_ref.h"

#include <windows.h>
#include <mfidl.h>
#include <mfobjects.h>

namespace mfsource {

class MediaSource;

class MediaStream final : public IMFMediaStream {
public:
    // A new stream with one reference, or null when memory or the queue could not be had.
    static MediaStream* Create(MediaSource* source, IMFStreamDescriptor* descriptor);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IMFMediaEventGenerator
    STDMETHODIMP GetEvent(DWORD flags, IMFMediaEvent** event) override;
    STDMETHODIMP BeginGetEvent(IMFAsyncCallback* callback, IUnknown* state) override;
    STDMETHODIMP EndGetEvent(IMFAsyncResult* result, IMFMediaEvent** event) override;
    STDMETHODIMP QueueEvent(MediaEventType type, REFGUID extended, HRESULT status, const PROPVARIANT* value) override;

    // IMFMediaStream
    STDMETHODIMP GetMediaSource(IMFMediaSource** source) override;
    STDMETHODIMP GetStreamDescriptor(IMFStreamDescriptor** descriptor) override;
    STDMETHODIMP RequestSample(IUnknown* token) override;

    IMFMediaEventQueue* Queue() const { return m_queue.Get(); }
    // Ends the queue; the stream answers MF_E_SHUTDOWN from then on.
    void Shutdown();

private:
    MediaStream(MediaSource* source, IMFStreamDescriptor* descriptor);
    ~MediaStream();

    LONG m_references = 1;
    // A reference for the stream's life: the source drops its own on the stream at Shutdown, which ends the cycle.
    MediaSource* m_source;
    com::ComRef<IMFStreamDescriptor> m_descriptor;
    com::ComRef<IMFMediaEventQueue> m_queue;
};

}  // namespace mfsource
