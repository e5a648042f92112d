// SPDX-License-Identifier: BSD-3-Clause
#include "mfsource/media_stream.h"

#include "com/server_module.h"
#include "mfsource/media_source.h"

#include <mfapi.h>
#include <mferror.h>

#include <new>

namespace mfsource {

MediaStream* MediaStream::Create(MediaSource* source, IMFStreamDescriptor* descriptor) {
    auto* stream = new (std::nothrow) MediaStream(source, descriptor);
    if (stream && FAILED(MFCreateEventQueue(stream->m_queue.Out()))) {
        stream->Release();
        return nullptr;
    }
    return stream;
}

MediaStream::MediaStream(MediaSource* source, IMFStreamDescriptor* descriptor)
    : m_source(source), m_descriptor(com::ComRef<IMFStreamDescriptor>::Share(descriptor)) {
    m_source->AddRef();
    com::LockModule();
}

MediaStream::~MediaStream() {
    m_source->Release();
    com::UnlockModule();
}

STDMETHODIMP MediaStream::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IMFMediaEventGenerator || iid == IID_IMFMediaStream)
        *out = static_cast<IMFMediaStream*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) MediaStream::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }

STDMETHODIMP_(ULONG) MediaStream::Release() {
    const LONG left = InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP MediaStream::GetEvent(DWORD flags, IMFMediaEvent** event) {
    // GetEvent may block: the queue is taken by reference, not under any lock of ours.
    com::ComRef<IMFMediaEventQueue> queue = m_queue;
    return queue->GetEvent(flags, event);
}
STDMETHODIMP MediaStream::BeginGetEvent(IMFAsyncCallback* callback, IUnknown* state) {
    return m_queue->BeginGetEvent(callback, state);
}
STDMETHODIMP MediaStream::EndGetEvent(IMFAsyncResult* result, IMFMediaEvent** event) {
    return m_queue->EndGetEvent(result, event);
}
STDMETHODIMP MediaStream::QueueEvent(MediaEventType type, REFGUID extended, HRESULT status,
                                     const PROPVARIANT* value) {
    return m_queue->QueueEventParamVar(type, extended, status, value);
}

STDMETHODIMP MediaStream::GetMediaSource(IMFMediaSource** source) {
    if (!source) return E_POINTER;
    return m_source->QueryInterface(IID_IMFMediaSource, reinterpret_cast<void**>(source));
}

STDMETHODIMP MediaStream::GetStreamDescriptor(IMFStreamDescriptor** descriptor) {
    if (!descriptor) return E_POINTER;
    *descriptor = m_descriptor.Get();
    (*descriptor)->AddRef();
    return S_OK;
}

STDMETHODIMP MediaStream::RequestSample(IUnknown* token) { return m_source->DeliverSample(token); }

void MediaStream::Shutdown() { m_queue->Shutdown(); }

}  // namespace mfsource
