// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/read_ahead.h"

namespace zemfs {

void ReadAhead::Start() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = false;
    for (unsigned i = 0; i < m_workers; ++i)
        m_threads.emplace_back([this] { Work(); });
}

void ReadAhead::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_wishes.clear();
    }
    m_asked.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
    m_threads.clear();
}

void ReadAhead::Ask(const std::shared_ptr<const WaveSource>& file, uint64_t block) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_threads.empty())
            return;
        for (const Wish& wish : m_wishes) {
            if (wish.file->key == file->key && wish.block == block)
                return;
        }
        m_wishes.push_back({file, block});
        while (m_wishes.size() > 2 * m_workers)
            m_wishes.pop_front();
    }
    m_asked.notify_one();
}

void ReadAhead::Work() {
    for (;;) {
        Wish wish;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_asked.wait(lock, [this] { return m_stopping || !m_wishes.empty(); });
            if (m_stopping)
                return;
            wish = std::move(m_wishes.front());
            m_wishes.pop_front();
        }
        // Decoding ahead is a wish: one that fails (out of memory, say) is dropped.
        try {
            m_frames.Prefetch(*wish.file, wish.block);
        } catch (...) {
        }
    }
}

}  // namespace zemfs
