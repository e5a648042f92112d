// SPDX-License-Identifier: BSD-3-Clause
// Decoding ahead of sequential readers: while a player reads one frame, the
// next ones are decoded on worker threads, so reading a file from start to
// end runs on more than one core.
#pragma once

#include "tools/zemfs/frame_source.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zemfs {

class ReadAhead {
public:
    ReadAhead(FrameSource& frames, unsigned workers) : m_frames(frames), m_workers(workers) {}
    ~ReadAhead() { Stop(); }

    // Threads start here (after the daemon has forked) and end in Stop.
    void Start();
    void Stop();
    // Asks for the frame that holds `block`. The oldest wishes go when more
    // pile up than the workers can serve.
    void Ask(const std::shared_ptr<const WaveSource>& file, uint64_t block);

private:
    struct Wish {
        std::shared_ptr<const WaveSource> file;
        uint64_t block;
    };
    void Work();

    FrameSource& m_frames;
    const unsigned m_workers;
    std::mutex m_mutex;
    std::condition_variable m_asked;
    std::deque<Wish> m_wishes;
    std::vector<std::thread> m_threads;
    bool m_stopping = false;
};

}  // namespace zemfs
