// SPDX-License-Identifier: BSD-3-Clause
#include "zemsource/stream_thread.h"

#include "zemsource/events.h"
#include "zemsource/media_clock.h"
#include "zemsource/pcm_format.h"

#include <algorithm>
#include <cstring>

namespace zemsource {

HRESULT StreamThread::Start(const StreamJob& job) {
    Stop();
    m_job = job;
    m_stopRequested = 0;
    m_silentUntil = job.start;
    m_thread = CreateThread(nullptr, 0, &StreamThread::Main, this, 0, nullptr);
    return m_thread ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

void StreamThread::Stop() {
    if (!m_thread) return;
    RequestStop();
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

DWORD WINAPI StreamThread::Main(void* self) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    static_cast<StreamThread*>(self)->Deliver();
    CoUninitialize();
    return 0;
}

void StreamThread::Notify(long code, LONG_PTR first, LONG_PTR second) const {
    if (m_job.events) m_job.events->Notify(code, first, second);
}

int64_t StreamThread::Fill(BYTE* data, uint64_t position, uint64_t room) {
    const StreamJob& job = m_job;
    uint64_t filled = 0;
    while (filled < room) {
        const uint64_t at = position + filled;
        BYTE* into = data + filled * job.blockAlign;
        if (at < m_silentUntil) {
            const uint64_t count = std::min(room - filled, m_silentUntil - at);
            std::memset(into, SilenceByte(job.bitsPerSample), static_cast<size_t>(count * job.blockAlign));
            filled += count;
            continue;
        }
        const long got = zem_read(job.decoder, into, static_cast<long>(room - filled));
        if (got > 0) {
            filled += static_cast<uint64_t>(got);
            continue;
        }
        if (got == 0) break;
        // A failed frame: the decoder skipped to the next one; its blocks become silence.
        const int64_t after = zem_tell(job.decoder);
        if (after < 0 || static_cast<uint64_t>(after) <= at) return filled ? static_cast<int64_t>(filled) : -1;
        m_silentUntil = std::min(static_cast<uint64_t>(after), job.stop);
        Notify(EC_ZEM_DAMAGED_FRAME, static_cast<LONG_PTR>(at), static_cast<LONG_PTR>(m_silentUntil - at));
    }
    return static_cast<int64_t>(filled);
}

void StreamThread::Deliver() {
    const StreamJob& job = m_job;
    const MediaClock clock(job.sampleRate);
    const REFERENCE_TIME origin = clock.TimeOf(job.start);
    job.peer->NewSegment(origin, clock.TimeOf(job.stop), 1.0);
    uint64_t position = job.start;
    bool first = true;
    while (position < job.stop && !StopRequested()) {
        IMediaSample* sample = nullptr;
        if (FAILED(job.allocator->GetBuffer(&sample, nullptr, nullptr, 0)) || !sample) return;  // decommitted
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        const uint64_t room = std::min<uint64_t>(static_cast<uint64_t>(sample->GetSize()) / job.blockAlign,
                                                 job.stop - position);
        const int64_t filled = Fill(data, position, room);
        if (filled <= 0) {
            sample->Release();
            if (filled < 0) Notify(EC_ERRORABORT, E_FAIL, 0);
            break;
        }
        const uint64_t end = position + static_cast<uint64_t>(filled);
        REFERENCE_TIME sampleStart = clock.TimeOf(position) - origin, sampleStop = clock.TimeOf(end) - origin;
        LONGLONG mediaStart = static_cast<LONGLONG>(position), mediaStop = static_cast<LONGLONG>(end);
        sample->SetTime(&sampleStart, &sampleStop);
        sample->SetMediaTime(&mediaStart, &mediaStop);
        sample->SetActualDataLength(static_cast<long>(filled * job.blockAlign));
        sample->SetSyncPoint(TRUE);
        sample->SetDiscontinuity(first ? TRUE : FALSE);
        sample->SetPreroll(FALSE);
        const HRESULT delivered = job.input->Receive(sample);
        sample->Release();
        first = false;
        position = end;
        if (delivered != S_OK) {
            // Downstream wants no more (S_FALSE) or has stopped or is flushing: then the stream ends here.
            if (FAILED(delivered) && !StopRequested()) Notify(EC_ERRORABORT, delivered, 0);
            break;
        }
    }
    if (!StopRequested()) job.peer->EndOfStream();
}

}  // namespace zemsource
