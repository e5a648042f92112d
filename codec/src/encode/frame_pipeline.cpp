// SPDX-License-Identifier: BSD-3-Clause
#include "encode/frame_pipeline.h"

#include <algorithm>

namespace zem {

CFramePipeline::CFramePipeline(size_t threads, size_t slots, std::function<void(size_t, size_t)> work)
    : m_work(std::move(work)), m_doneItem(std::max<size_t>(slots, 1), 0) {
    try {
        for (size_t worker = 0; worker < threads; ++worker)
            m_threads.emplace_back([this, worker] { Work(worker); });
    } catch (...) {
        Stop();
        throw;
    }
}

CFramePipeline::~CFramePipeline() { Stop(); }

void CFramePipeline::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
    }
    m_submitted.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
    m_threads.clear();
}

void CFramePipeline::Submit(size_t item) {
    if (m_threads.empty()) {
        m_work(0, SlotOf(item));
        m_doneItem[SlotOf(item)] = item + 1;
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(item);
    }
    m_submitted.notify_one();
}

void CFramePipeline::WaitDone(size_t item) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [&] { return m_doneItem[SlotOf(item)] == item + 1; });
}

void CFramePipeline::Work(size_t worker) {
    for (;;) {
        size_t item = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_submitted.wait(lock, [&] { return m_stopped || !m_queue.empty(); });
            if (m_stopped)
                return;
            item = m_queue.front();
            m_queue.pop_front();
        }
        m_work(worker, SlotOf(item));
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_doneItem[SlotOf(item)] = item + 1;
        }
        m_done.notify_all();
    }
}

PipelineShape ShapePipeline(int threads, uint32_t frames, size_t framePcmBytes, bool verify) {
    const size_t slotCost = 2 * framePcmBytes + 4096;
    const size_t workerCost = verify ? 3 * framePcmBytes + 65536 : 65536;
    const size_t most = std::max<size_t>(frames, 1);
    size_t workers = std::clamp<size_t>(size_t(std::max(threads, 1)), 1, most);
    while (workers > 1 && workers * (workerCost + slotCost) > kEncodeMemoryBudget)
        --workers;
    PipelineShape shape;
    if (workers == 1)
        return shape;
    const size_t affordable = (kEncodeMemoryBudget - workers * workerCost) / slotCost;
    shape.threads = workers;
    shape.slots = std::min(most, std::max(workers, std::min(2 * workers, affordable)));
    return shape;
}

}  // namespace zem
