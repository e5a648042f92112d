// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/frame_cache.h"

namespace zemfs {

bool FrameCache::Find(const std::string& file, uint64_t block, DecodedFrame* frame) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_frames.upper_bound(Key(file, block));
    if (found == m_frames.begin())
        return false;
    --found;
    if (found->first.first != file || found->second.frame.end <= block)
        return false;
    m_ages.splice(m_ages.begin(), m_ages, found->second.age);
    *frame = found->second.frame;
    return true;
}

void FrameCache::Insert(const std::string& file, const DecodedFrame& frame) {
    const size_t size = frame.bytes ? frame.bytes->size() : 0;
    if (size == 0 || size > m_capacity)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    Key key(file, frame.first);
    if (m_frames.count(key))
        return;
    m_ages.push_front(key);
    m_frames.emplace(std::move(key), Kept{frame, m_ages.begin()});
    m_bytes += size;
    while (m_bytes > m_capacity)
        DropOldest();
}

size_t FrameCache::Bytes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bytes;
}

void FrameCache::DropOldest() {
    auto found = m_frames.find(m_ages.back());
    m_bytes -= found->second.frame.bytes->size();
    m_frames.erase(found);
    m_ages.pop_back();
}

}  // namespace zemfs
