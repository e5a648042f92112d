// SPDX-License-Identifier: BSD-3-Clause
// Hands numbered work items to several workers and their results back to one
// consumer strictly in number order, through a fixed ring of result slots:
// item i lives in slot i % slots, so a worker may only start an item once the
// consumer has released the item that held that slot before. Memory stays at
// `slots` results however far the fastest worker runs ahead.
//
// Workers:   while (handOff.Claim(&item)) { fill slot SlotOf(item); handOff.Finish(item); }
// Consumer:  for each item in order: WaitFinished(item); use its slot; Release(item).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

namespace zemtool {

class OrderedHandOff {
public:
    // `items` work items, `slots` result slots (at least 1).
    OrderedHandOff(size_t items, size_t slots);

    size_t SlotOf(size_t item) const { return item % m_finished.size(); }

    // Takes the next unclaimed item once its slot is free. False when every
    // item is taken or the hand-off was stopped.
    bool Claim(size_t* item);
    // The claimed item's slot holds its result.
    void Finish(size_t item);

    // Waits until `item` is finished. The consumer may wait for items ahead of
    // those released so far (a tap that releases behind it): the slot says
    // which item it holds, so an earlier item's result is never taken for it.
    void WaitFinished(size_t item);
    // The consumer is done with `item`'s slot; the next item may reuse it.
    void Release(size_t item);
    // No item is handed out any more; workers waiting for a slot give up.
    void Stop();

private:
    bool SlotIsFree(size_t item) const { return item < m_released + m_finished.size(); }

    std::mutex m_mutex;
    std::condition_variable m_slotFreed;
    std::condition_variable m_itemFinished;
    std::vector<size_t> m_finished;  // per slot: 1 + the item finished in it, 0 for none
    size_t m_items;
    size_t m_next = 0;      // the next item to claim
    size_t m_released = 0;  // items the consumer is done with (always the first ones)
    bool m_stopped = false;
};

}  // namespace zemtool
