// SPDX-License-Identifier: BSD-3-Clause
// A second reader of the decoded runs (the digest check) on a thread of its
// own. The writer passes each run on once it has written it; this thread
// reads the run's bytes where they lie and only then frees the run's slot of
// the hand-off for the next item, so nothing is copied and the hand-off's
// slots bound how far the reader may lag behind the writer.
#pragma once

#include "tools/zemtool/ordered_hand_off.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zemtool {

class TapThread {
public:
    // `read` is called on the tap's thread with each item passed on, in order.
    TapThread(OrderedHandOff& handOff, std::function<void(size_t item)> read);
    // Reads the items passed on so far, then ends the thread.
    ~TapThread();

    TapThread(const TapThread&) = delete;
    TapThread& operator=(const TapThread&) = delete;

    // The writer is done with `item` (the next one after those passed before).
    void Pass(size_t item);

private:
    void Run();

    OrderedHandOff& m_handOff;
    std::function<void(size_t)> m_read;
    std::mutex m_mutex;
    std::condition_variable m_passed;
    std::deque<size_t> m_items;
    bool m_closed = false;
    std::thread m_thread;
};

}  // namespace zemtool
