// SPDX-License-Identifier: BSD-3-Clause
#include "mfsource/media_source.h"

#include "com/server_module.h"
#include "mfsource/guids.h"
#include "mfsource/media_stream.h"
#include "mfsource/media_type.h"
#include "zemsource/media_clock.h"

#include <mfapi.h>
#include <mferror.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace mfsource {

namespace {

using com::ComRef;

// The lock of the source for one call.
class Locked {
public:
    explicit Locked(CRITICAL_SECTION& lock) : m_lock(lock) { EnterCriticalSection(&m_lock); }
    ~Locked() { LeaveCriticalSection(&m_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

PROPVARIANT TimeValue(int64_t time) {
    PROPVARIANT value;
    PropVariantInit(&value);
    value.vt = VT_I8;
    value.hVal.QuadPart = time;
    return value;
}

HRESULT MakeSample(const PcmRun& run, const zemsource::MediaClock& clock, IMFSample** out) {
    ComRef<IMFMediaBuffer> buffer;
    HRESULT status = MFCreateMemoryBuffer(static_cast<DWORD>(run.bytes.size()), buffer.Out());
    if (FAILED(status)) return status;
    BYTE* data = nullptr;
    if (FAILED(status = buffer->Lock(&data, nullptr, nullptr))) return status;
    std::memcpy(data, run.bytes.data(), run.bytes.size());
    buffer->Unlock();
    buffer->SetCurrentLength(static_cast<DWORD>(run.bytes.size()));
    ComRef<IMFSample> sample;
    if (FAILED(status = MFCreateSample(sample.Out()))) return status;
    const int64_t start = clock.TimeOf(run.first), end = clock.TimeOf(run.first + run.blocks);
    sample->AddBuffer(buffer.Get());
    sample->SetSampleTime(start);
    sample->SetSampleDuration(end - start);
    *out = sample.Get();
    (*out)->AddRef();
    return S_OK;
}

}  // namespace

HRESULT MediaSource::Create(std::unique_ptr<PcmReader> reader, IUnknown* keep, IMFMediaSource** out) {
    *out = nullptr;
    auto* source = new (std::nothrow) MediaSource(std::move(reader), keep);
    if (!source) return E_OUTOFMEMORY;
    const HRESULT status = source->Build();
    if (SUCCEEDED(status))
        *out = source;
    else {
        source->Shutdown();
        source->Release();
    }
    return status;
}

MediaSource::MediaSource(std::unique_ptr<PcmReader> reader, IUnknown* keep)
    : m_reader(std::move(reader)), m_keep(ComRef<IUnknown>::Share(keep)) {
    InitializeCriticalSection(&m_lock);
    com::LockModule();
}

MediaSource::~MediaSource() {
    DeleteCriticalSection(&m_lock);
    com::UnlockModule();
}

HRESULT MediaSource::Build() {
    const zem_stream_info& info = m_reader->Info();
    ComRef<IMFMediaType> type;
    ComRef<IMFStreamDescriptor> stream;
    ComRef<IMFMediaTypeHandler> handler;
    HRESULT status = MFCreateEventQueue(m_queue.Out());
    if (SUCCEEDED(status)) status = MakePcmType(info, type.Out());
    IMFMediaType* types[] = {type.Get()};
    if (SUCCEEDED(status)) status = MFCreateStreamDescriptor(0, 1, types, stream.Out());
    if (SUCCEEDED(status)) status = stream->GetMediaTypeHandler(handler.Out());
    if (SUCCEEDED(status)) status = handler->SetCurrentMediaType(type.Get());
    IMFStreamDescriptor* streams[] = {stream.Get()};
    if (SUCCEEDED(status)) status = MFCreatePresentationDescriptor(1, streams, m_descriptor.Out());
    if (SUCCEEDED(status)) status = m_descriptor->SelectStream(0);
    // Exact from the block count, as the shell's property handler gives it.
    if (SUCCEEDED(status))
        status = m_descriptor->SetUINT64(MF_PD_DURATION,
                                         uint64_t(zemsource::MediaClock(info.sample_rate).TimeOf(info.total_blocks)));
    if (SUCCEEDED(status) && !(m_stream = MediaStream::Create(this, stream.Get()))) status = E_OUTOFMEMORY;
    return status;
}

STDMETHODIMP MediaSource::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IMFMediaEventGenerator || iid == IID_IMFMediaSource)
        *out = static_cast<IMFMediaSource*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) MediaSource::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }

STDMETHODIMP_(ULONG) MediaSource::Release() {
    const LONG left = InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP MediaSource::GetEvent(DWORD flags, IMFMediaEvent** event) {
    ComRef<IMFMediaEventQueue> queue;
    {
        Locked lock(m_lock);
        if (m_state == State::Shut) return MF_E_SHUTDOWN;
        queue = m_queue;
    }
    return queue->GetEvent(flags, event);
}

STDMETHODIMP MediaSource::BeginGetEvent(IMFAsyncCallback* callback, IUnknown* state) {
    Locked lock(m_lock);
    return m_state == State::Shut ? MF_E_SHUTDOWN : m_queue->BeginGetEvent(callback, state);
}

STDMETHODIMP MediaSource::EndGetEvent(IMFAsyncResult* result, IMFMediaEvent** event) {
    Locked lock(m_lock);
    return m_state == State::Shut ? MF_E_SHUTDOWN : m_queue->EndGetEvent(result, event);
}

STDMETHODIMP MediaSource::QueueEvent(MediaEventType type, REFGUID extended, HRESULT status,
                                     const PROPVARIANT* value) {
    Locked lock(m_lock);
    return m_state == State::Shut ? MF_E_SHUTDOWN : m_queue->QueueEventParamVar(type, extended, status, value);
}

STDMETHODIMP MediaSource::GetCharacteristics(DWORD* characteristics) {
    if (!characteristics) return E_POINTER;
    Locked lock(m_lock);
    if (m_state == State::Shut) return MF_E_SHUTDOWN;
    *characteristics = MFMEDIASOURCE_CAN_SEEK | MFMEDIASOURCE_CAN_PAUSE;
    return S_OK;
}

STDMETHODIMP MediaSource::CreatePresentationDescriptor(IMFPresentationDescriptor** descriptor) {
    if (!descriptor) return E_POINTER;
    Locked lock(m_lock);
    return m_state == State::Shut ? MF_E_SHUTDOWN : m_descriptor->Clone(descriptor);
}

STDMETHODIMP MediaSource::Start(IMFPresentationDescriptor* descriptor, const GUID* timeFormat,
                                const PROPVARIANT* position) {
    if (!descriptor || !position) return E_INVALIDARG;
    if (timeFormat && *timeFormat != GUID_NULL) return MF_E_UNSUPPORTED_TIME_FORMAT;
    if (position->vt != VT_EMPTY && position->vt != VT_I8) return MF_E_UNSUPPORTED_TIME_FORMAT;
    Locked lock(m_lock);
    if (m_state == State::Shut) return MF_E_SHUTDOWN;
    const zemsource::MediaClock clock(m_reader->Info().sample_rate);
    const bool seek = position->vt == VT_I8 || m_state == State::Stopped;
    if (seek) {
        // A time names the block whose span holds it; an empty position after a stop is the start.
        const uint64_t block = position->vt == VT_I8 ? clock.BlockAt(position->hVal.QuadPart) : 0;
        if (!m_reader->Seek(std::min<uint64_t>(block, m_reader->Info().total_blocks))) return E_FAIL;
        m_ended = false;
    }
    const bool seeked = seek && m_state != State::Stopped;
    const PROPVARIANT at = TimeValue(clock.TimeOf(m_reader->Position()));
    HRESULT status = m_queue->QueueEventParamUnk(m_announced ? MEUpdatedStream : MENewStream, GUID_NULL, S_OK,
                                                 static_cast<IMFMediaStream*>(m_stream));
    m_announced = true;
    if (SUCCEEDED(status))
        status = m_stream->Queue()->QueueEventParamVar(seeked ? MEStreamSeeked : MEStreamStarted, GUID_NULL, S_OK,
                                                       &at);
    if (SUCCEEDED(status))
        status = m_queue->QueueEventParamVar(seeked ? MESourceSeeked : MESourceStarted, GUID_NULL, S_OK, &at);
    if (SUCCEEDED(status)) m_state = State::Started;
    return status;
}

STDMETHODIMP MediaSource::Stop() {
    Locked lock(m_lock);
    if (m_state == State::Shut) return MF_E_SHUTDOWN;
    m_state = State::Stopped;
    HRESULT status = m_stream->Queue()->QueueEventParamVar(MEStreamStopped, GUID_NULL, S_OK, nullptr);
    if (SUCCEEDED(status)) status = m_queue->QueueEventParamVar(MESourceStopped, GUID_NULL, S_OK, nullptr);
    return status;
}

STDMETHODIMP MediaSource::Pause() {
    Locked lock(m_lock);
    if (m_state == State::Shut) return MF_E_SHUTDOWN;
    if (m_state != State::Started) return MF_E_INVALID_STATE_TRANSITION;
    m_state = State::Paused;
    HRESULT status = m_stream->Queue()->QueueEventParamVar(MEStreamPaused, GUID_NULL, S_OK, nullptr);
    if (SUCCEEDED(status)) status = m_queue->QueueEventParamVar(MESourcePaused, GUID_NULL, S_OK, nullptr);
    return status;
}

STDMETHODIMP MediaSource::Shutdown() {
    Locked lock(m_lock);
    if (m_state == State::Shut) return MF_E_SHUTDOWN;
    m_state = State::Shut;
    if (m_queue) m_queue->Shutdown();
    if (m_stream) {
        m_stream->Shutdown();
        std::exchange(m_stream, nullptr)->Release();
    }
    m_reader.reset();
    m_keep.Reset();
    return S_OK;
}

HRESULT MediaSource::QueueEnd() {
    m_ended = true;
    HRESULT status = m_stream->Queue()->QueueEventParamVar(MEEndOfStream, GUID_NULL, S_OK, nullptr);
    if (SUCCEEDED(status)) status = m_queue->QueueEventParamVar(MEEndOfPresentation, GUID_NULL, S_OK, nullptr);
    return status;
}

HRESULT MediaSource::QueueSample(const PcmRun& run, IUnknown* token) {
    ComRef<IMFSample> sample;
    HRESULT status = MakeSample(run, zemsource::MediaClock(m_reader->Info().sample_rate), sample.Out());
    if (SUCCEEDED(status) && token) status = sample->SetUnknown(MFSampleExtension_Token, token);
    if (FAILED(status)) return status;
    if (run.damagedBlocks != 0) {
        // Reported beside the silence; the playback goes on.
        ComRef<IMFMediaEvent> event;
        PROPVARIANT first;
        PropVariantInit(&first);
        first.vt = VT_UI8;
        first.uhVal.QuadPart = run.first;
        if (SUCCEEDED(MFCreateMediaEvent(MEExtendedType, MEZemDamagedFrame, S_OK, &first, event.Out())) &&
            SUCCEEDED(event->SetUINT64(MF_ZEM_SILENT_BLOCKS, run.damagedBlocks)))
            m_stream->Queue()->QueueEvent(event.Get());
    }
    return m_stream->Queue()->QueueEventParamUnk(MEMediaSample, GUID_NULL, S_OK, sample.Get());
}

HRESULT MediaSource::DeliverSample(IUnknown* token) {
    Locked lock(m_lock);
    if (m_state == State::Shut) return MF_E_SHUTDOWN;
    if (m_state == State::Stopped) return MF_E_MEDIA_SOURCE_WRONGSTATE;
    if (m_ended) return MF_E_END_OF_STREAM;
    // A tenth of a second a sample (a run never crosses a frame's end).
    const uint64_t blocks = std::max<uint64_t>(m_reader->Info().sample_rate / 10, 1);
    PcmRun run;
    if (!m_reader->Next(blocks, run)) return E_OUTOFMEMORY;
    // Each request is answered once: with a sample, or past the last one with the end.
    return run.blocks != 0 ? QueueSample(run, token) : QueueEnd();
}

}  // namespace mfsource
