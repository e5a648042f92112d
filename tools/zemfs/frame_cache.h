// SPDX-License-Identifier: BSD-3-Clause
// Decoded frames kept for readers that come back for them: a read of a few
// kilobytes, the next read of the same frame and several readers of one file
// all use the frame decoded once. Bounded in bytes; the frame used longest
// ago goes first.
#pragma once

#include "tools/zemfs/wave_file.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace zemfs {

class FrameCache {
public:
    explicit FrameCache(size_t capacityBytes) : m_capacity(capacityBytes) {}

    // The frame of `file` that holds `block`, if kept; it becomes the newest.
    bool Find(const std::string& file, uint64_t block, DecodedFrame* frame);
    // Keeps the frame (a frame larger than the whole cache is not kept) and
    // drops the oldest until the frames fit.
    void Insert(const std::string& file, const DecodedFrame& frame);
    // Bytes of the frames kept.
    size_t Bytes() const;

private:
    using Key = std::pair<std::string, uint64_t>;  // file, first block
    struct Kept {
        DecodedFrame frame;
        std::list<Key>::iterator age;
    };
    void DropOldest();

    mutable std::mutex m_mutex;
    const size_t m_capacity;
    size_t m_bytes = 0;
    std::map<Key, Kept> m_frames;
    std::list<Key> m_ages;  // newest first
};

}  // namespace zemfs
