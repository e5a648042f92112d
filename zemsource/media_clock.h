// SPDX-License-Identifier: BSD-3-Clause
// Block numbers and reference time (units of 100 ns) for one sample rate.
//
// A block's time is rounded down: block n starts at floor(n * 10^7 / rate).
// BlockAt is its exact inverse, the block whose span holds a time, so that a
// seek to the time reported for a block lands on that very block and the
// time stamps of consecutive samples join without gaps.
#pragma once

#include <cstdint>

namespace zemsource {

constexpr int64_t kUnitsPerSecond = 10000000;

class MediaClock {
public:
    explicit MediaClock(uint32_t sampleRate) : m_rate(sampleRate ? sampleRate : 1) {}

    // The start time of block `block`, held at INT64_MAX for blocks beyond any time.
    int64_t TimeOf(uint64_t block) const;
    // The block whose span holds `time`; times before 0 give block 0, and a
    // block number beyond 64 bits is held at UINT64_MAX.
    uint64_t BlockAt(int64_t time) const;

private:
    uint64_t m_rate;
};

}  // namespace zemsource
