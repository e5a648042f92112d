// SPDX-License-Identifier: BSD-3-Clause
// The media source of one ZEM stream or link file's track: one stream of PCM,
// its duration in the presentation descriptor, starting at any position
// (exact to the block), pausing and stopping. Samples are decoded on the
// thread that requests them, a tenth of a second or to the end of a frame at
// a time. A frame that fails its check is delivered as silence of its exact
// length, and the stream queues an MEZemDamagedFrame event (see guids.h).
#pragma once

#include "com/com_ref.h"
#include "mfsource/pcm_reader.h"

#include <windows.h>
#include <mfidl.h>

#include <memory>

namespace mfsource {

class MediaStream;

class MediaSource final : public IMFMediaSource {
public:
    // Makes the source of an open reader; `keep` is held as long as the source
    // lives (the byte stream the decoder reads from, or null).
    static HRESULT Create(std::unique_ptr<PcmReader> reader, IUnknown* keep, IMFMediaSource** out);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IMFMediaEventGenerator
    STDMETHODIMP GetEvent(DWORD flags, IMFMediaEvent** event) override;
    STDMETHODIMP BeginGetEvent(IMFAsyncCallback* callback, IUnknown* state) override;
    STDMETHODIMP EndGetEvent(IMFAsyncResult* result, IMFMediaEvent** event) override;
    STDMETHODIMP QueueEvent(MediaEventType type, REFGUID extended, HRESULT status, const PROPVARIANT* value) override;

    // IMFMediaSource
    STDMETHODIMP GetCharacteristics(DWORD* characteristics) override;
    STDMETHODIMP CreatePresentationDescriptor(IMFPresentationDescriptor** descriptor) override;
    STDMETHODIMP Start(IMFPresentationDescriptor* descriptor, const GUID* timeFormat,
                       const PROPVARIANT* position) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Shutdown() override;

    // The stream's request: a sample (or the end) on the stream's queue.
    HRESULT DeliverSample(IUnknown* token);

private:
    enum class State { Stopped, Started, Paused, Shut };

    MediaSource(std::unique_ptr<PcmReader> reader, IUnknown* keep);
    ~MediaSource();
    HRESULT Build();
    HRESULT QueueEnd();
    HRESULT QueueSample(const PcmRun& run, IUnknown* token);

    LONG m_references = 1;
    CRITICAL_SECTION m_lock;
    std::unique_ptr<PcmReader> m_reader;
    com::ComRef<IUnknown> m_keep;
    com::ComRef<IMFMediaEventQueue> m_queue;
    com::ComRef<IMFPresentationDescriptor> m_descriptor;
    MediaStream* m_stream = nullptr;  // our reference, dropped at Shutdown
    State m_state = State::Stopped;
    bool m_announced = false;  // MENewStream was sent
    bool m_ended = false;      // the end was queued since the last start
};

}  // namespace mfsource
