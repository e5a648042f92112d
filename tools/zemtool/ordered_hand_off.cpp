// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ordered_hand_off.h"

#include <algorithm>

namespace zemtool {

OrderedHandOff::OrderedHandOff(size_t items, size_t slots)
    : m_finished(std::max<size_t>(slots, 1), 0), m_items(items) {}

bool OrderedHandOff::Claim(size_t* item) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_stopped || m_next >= m_items)
        return false;
    *item = m_next++;
    // The item the consumer waits for is the first unreleased one, whose slot
    // is always free, so waiting here never holds the consumer up.
    m_slotFreed.wait(lock, [&] { return m_stopped || SlotIsFree(*item); });
    return !m_stopped;
}

void OrderedHandOff::Finish(size_t item) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished[SlotOf(item)] = item + 1;
    }
    m_itemFinished.notify_one();
}

void OrderedHandOff::WaitFinished(size_t item) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_itemFinished.wait(lock, [&] { return m_finished[SlotOf(item)] == item + 1; });
}

void OrderedHandOff::Release(size_t item) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished[SlotOf(item)] = 0;
        m_released = item + 1;
    }
    m_slotFreed.notify_all();
}

void OrderedHandOff::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
    }
    m_slotFreed.notify_all();
}

}  // namespace zemtool
