// SPDX-License-Identifier: BSD-3-Clause
// The streaming thread: decodes the blocks of one segment into the
// allocator's samples and hands them downstream with their time stamps,
// then ends the stream. A frame that fails its check is delivered as silence
// of its exact length, with an EC_ZEM_DAMAGED_FRAME event, and decoding goes on.
#pragma once

#include <zem/zem.h>

#include <windows.h>
#include <dshow.h>

#include <cstdint>

namespace zemsource {

struct StreamJob {
    zem_decoder* decoder = nullptr;  // positioned at `start`; used by the thread alone while it runs
    IPin* peer = nullptr;
    IMemInputPin* input = nullptr;
    IMemAllocator* allocator = nullptr;  // committed
    IMediaEventSink* events = nullptr;   // may be null
    uint64_t start = 0;                  // the segment's blocks: [start, stop)
    uint64_t stop = 0;
    uint32_t sampleRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

class StreamThread {
public:
    StreamThread() = default;
    StreamThread(const StreamThread&) = delete;
    StreamThread& operator=(const StreamThread&) = delete;
    ~StreamThread() { Stop(); }

    // The job's interfaces must live until Stop() returns.
    HRESULT Start(const StreamJob& job);
    // Asks the thread to end and waits for it. Whoever calls this first makes
    // sure no call of the thread's blocks for good: decommits the allocator
    // (GetBuffer returns) and, while running, flushes downstream (Receive returns).
    void RequestStop() { InterlockedExchange(&m_stopRequested, 1); }
    void Stop();
    bool Running() const { return m_thread != nullptr; }

private:
    static DWORD WINAPI Main(void* self);
    void Deliver();
    // Fills up to `room` blocks of `data` from `position` on; returns how many,
    // 0 at the decoder's end, or -1 when decoding cannot go on.
    int64_t Fill(BYTE* data, uint64_t position, uint64_t room);
    void Notify(long code, LONG_PTR first, LONG_PTR second) const;
    bool StopRequested() const { return InterlockedCompareExchange(const_cast<LONG*>(&m_stopRequested), 0, 0) != 0; }

    StreamJob m_job;
    HANDLE m_thread = nullptr;
    LONG m_stopRequested = 0;
    uint64_t m_silentUntil = 0;  // blocks before this one that a failed frame left out
};

}  // namespace zemsource
