// SPDX-License-Identifier: BSD-3-Clause
// Frames being decoded right now, so that two readers (or a reader and the
// read-ahead) never decode the same frame twice: the second waits for the
// first and then finds the frame in the cache.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace zemfs {

class FrameClaims {
public:
    // True when the caller now decodes the frame (and must Release it);
    // false after waiting for another decoder of it, or at once with `wait` false.
    bool Claim(const std::string& file, uint64_t first, bool wait = true) {
        std::unique_lock<std::mutex> lock(m_mutex);
        const Key key(file, first);
        if (m_claimed.insert(key).second)
            return true;
        if (wait)
            m_released.wait(lock, [&] { return m_claimed.count(key) == 0; });
        return false;
    }

    void Release(const std::string& file, uint64_t first) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_claimed.erase(Key(file, first));
        m_released.notify_all();
    }

private:
    using Key = std::pair<std::string, uint64_t>;
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::set<Key> m_claimed;
};

}  // namespace zemfs
