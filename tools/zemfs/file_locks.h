// A mutex per file key, made when first asked for and dropped when no one
// holds it any more.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace zemfs {

class FileLocks {
public:
    std::shared_ptr<std::mutex> For(const std::string& key) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_locks.begin(); it != m_locks.end();) {
            if (it->second.expired())
                it = m_locks.erase(it);
            else
                ++it;
        }
        std::shared_ptr<std::mutex> held = m_locks[key].lock();
        if (!held) {
            held = std::make_shared<std::mutex>();
            m_locks[key] = held;
        }
        return held;
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::weak_ptr<std::mutex>> m_locks;
};

}  // namespace zemfs
