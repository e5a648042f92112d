// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tap_thread.h"

#include <utility>

namespace zemtool {

TapThread::TapThread(OrderedHandOff& handOff, std::function<void(size_t item)> read)
    : m_handOff(handOff), m_read(std::move(read)), m_thread([this] { Run(); }) {}

TapThread::~TapThread() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
    }
    m_passed.notify_one();
    m_thread.join();
}

void TapThread::Pass(size_t item) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_items.push_back(item);
    }
    m_passed.notify_one();
}

void TapThread::Run() {
    for (;;) {
        size_t item = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_passed.wait(lock, [this] { return m_closed || !m_items.empty(); });
            if (m_items.empty())
                return;
            item = m_items.front();
            m_items.pop_front();
        }
        m_read(item);
        m_handOff.Release(item);
    }
}

}  // namespace zemtool
