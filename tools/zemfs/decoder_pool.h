// SPDX-License-Identifier: BSD-3-Clause
// The decoders the mount has open, few and shared: each read borrows one for
// its file (a reader going on sequentially gets back the one that stands
// where it left off) and returns it. However many files are open, at most
// `limit` decoders exist; a read that finds them all busy waits, and an idle
// decoder of another file is closed to make room.
#pragma once

#include <zem/zem.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>

namespace zemfs {

class DecoderPool {
public:
    using Opener = std::function<zem_decoder*(int* error)>;

    explicit DecoderPool(size_t limit) : m_limit(limit == 0 ? 1 : limit) {}
    ~DecoderPool();
    DecoderPool(const DecoderPool&) = delete;
    DecoderPool& operator=(const DecoderPool&) = delete;

    // A decoder for `file`, preferably one whose next block is `block`; opened
    // with `open` when none is idle. NULL with *error set when it cannot open.
    zem_decoder* Borrow(const std::string& file, uint64_t block, const Opener& open, int* error);
    // Gives it back for the next reader of `file`.
    void Return(const std::string& file, zem_decoder* decoder);
    // Closes a decoder that must not be used again (its file changed).
    void Discard(zem_decoder* decoder);

private:
    struct Idle {
        std::string file;
        zem_decoder* decoder;
    };

    std::mutex m_mutex;
    std::condition_variable m_returned;
    const size_t m_limit;
    size_t m_open = 0;
    std::list<Idle> m_idle;  // most recently returned first
};

}  // namespace zemfs
