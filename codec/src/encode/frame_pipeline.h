// SPDX-License-Identifier: BSD-3-Clause
// Frames of a stream worked on by several threads and handed back in order.
// The calling thread fills numbered items into a fixed ring of slots (item i
// in slot i % slots) and submits them; workers take submitted items first
// come, first served; the calling thread waits for an item to be done, uses
// its slot and only then fills the slot with the item `slots` further on. So
// at most `slots` frames are in flight however long the stream is, and the
// order of use is the order of the items whatever the number of workers.
//
//   for each item i: if (i >= slots) { WaitDone(i - slots); use its slot; }
//                    fill slot SlotOf(i); Submit(i);
//   then WaitDone and use the last ones in order.
//
// With no worker threads, Submit does the work on the calling thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zem {

class CFramePipeline {
public:
    // `work(worker, slot)` does the work of the item in `slot` on worker
    // `worker` (0 .. workers - 1; 0 for the calling thread when there are no
    // worker threads). Starts `threads` worker threads.
    CFramePipeline(size_t threads, size_t slots, std::function<void(size_t worker, size_t slot)> work);
    ~CFramePipeline();
    CFramePipeline(const CFramePipeline&) = delete;
    CFramePipeline& operator=(const CFramePipeline&) = delete;

    size_t Slots() const { return m_doneItem.size(); }
    size_t SlotOf(size_t item) const { return item % m_doneItem.size(); }

    void Submit(size_t item);
    void WaitDone(size_t item);

private:
    void Work(size_t worker);
    void Stop();

    std::function<void(size_t, size_t)> m_work;
    std::mutex m_mutex;
    std::condition_variable m_submitted;
    std::condition_variable m_done;
    std::deque<size_t> m_queue;          // submitted items not yet taken
    std::vector<size_t> m_doneItem;      // per slot: 1 + the last item done in it, 0 for none
    bool m_stopped = false;
    std::vector<std::thread> m_threads;
};

// How many worker threads and slots an encode uses. Each slot holds a frame's
// samples and its encoded bytes (two frames' worth of samples at most); a
// worker that checks its frames holds up to three more while it decodes one
// (the decoder's ring, the stream in memory and the copy on its way there).
// With the program itself this keeps an encode below 64 MiB. Within kEncodeMemoryBudget there are
// up to `threads` workers (none below two: one thread works on the calling
// thread) and two slots per worker, but never more of either than frames.
constexpr size_t kEncodeMemoryBudget = size_t(32) << 20;
struct PipelineShape {
    size_t threads = 0;  // worker threads; 0: all on the calling thread
    size_t slots = 1;
};
PipelineShape ShapePipeline(int threads, uint32_t frames, size_t framePcmBytes, bool verify);

}  // namespace zem
