// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/decoder_pool.h"

namespace zemfs {

DecoderPool::~DecoderPool() {
    for (Idle& idle : m_idle)
        zem_close(idle.decoder);
}

zem_decoder* DecoderPool::Borrow(const std::string& file, uint64_t block, const Opener& open, int* error) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        auto best = m_idle.end();
        for (auto it = m_idle.begin(); it != m_idle.end(); ++it) {
            if (it->file != file)
                continue;
            if (best == m_idle.end())
                best = it;
            if (zem_tell(it->decoder) == static_cast<int64_t>(block)) {
                best = it;
                break;
            }
        }
        if (best != m_idle.end()) {
            zem_decoder* decoder = best->decoder;
            m_idle.erase(best);
            return decoder;
        }
        if (m_open < m_limit) {
            ++m_open;
            lock.unlock();
            zem_decoder* decoder = open(error);
            if (!decoder) {
                lock.lock();
                --m_open;
                m_returned.notify_one();
            }
            return decoder;
        }
        if (!m_idle.empty()) {
            zem_close(m_idle.back().decoder);
            m_idle.pop_back();
            --m_open;
            continue;
        }
        m_returned.wait(lock);
    }
}

void DecoderPool::Return(const std::string& file, zem_decoder* decoder) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_idle.push_front({file, decoder});
    m_returned.notify_one();
}

void DecoderPool::Discard(zem_decoder* decoder) {
    zem_close(decoder);
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_open;
    m_returned.notify_one();
}

}  // namespace zemfs
