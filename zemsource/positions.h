// SPDX-License-Identifier: BSD-3-Clause
// The positions IMediaSeeking works with, as block numbers of one file: values
// in samples or in reference time, and the moves SetPositions asks for
// (absolute, relative to the current position, or from the new start). Any
// value is taken, LLONG_MIN to LLONG_MAX: sums saturate instead of wrapping
// and every position lands in [0, total], so a move far past the end stops at
// the end. Free of Windows headers so that the rules are tested everywhere.
#pragma once

#include "zemsource/media_clock.h"

#include <cstdint>

namespace zemsource {

enum class PositionUnit { Time, Samples };
enum class PositionMove { None, Absolute, Relative, Incremental };

// a + b, held at INT64_MIN or INT64_MAX where it would leave the range.
int64_t SaturatingAdd(int64_t a, int64_t b);

class FilePositions {
public:
    FilePositions(uint32_t sampleRate, uint64_t totalBlocks) : m_clock(sampleRate), m_total(totalBlocks) {}

    // A block as a value of `unit` (saturated at INT64_MAX).
    int64_t ValueOf(uint64_t block, PositionUnit unit) const;
    // The block a value of `unit` stands for, in [0, total].
    uint64_t BlockOf(int64_t value, PositionUnit unit) const;
    // Where one side of SetPositions goes: from `now` (Relative) or `base`
    // (Incremental) by `value`, or to `value` (Absolute); None stays at `now`.
    uint64_t Moved(uint64_t now, uint64_t base, int64_t value, PositionMove move, PositionUnit unit) const;

private:
    MediaClock m_clock;
    uint64_t m_total;
};

}  // namespace zemsource
