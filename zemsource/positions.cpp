// SPDX-License-Identifier: BSD-3-Clause
#include "zemsource/positions.h"

#include <algorithm>
#include <limits>

namespace zemsource {

int64_t SaturatingAdd(int64_t a, int64_t b) {
    if (b > 0 && a > std::numeric_limits<int64_t>::max() - b) return std::numeric_limits<int64_t>::max();
    if (b < 0 && a < std::numeric_limits<int64_t>::min() - b) return std::numeric_limits<int64_t>::min();
    return a + b;
}

int64_t FilePositions::ValueOf(uint64_t block, PositionUnit unit) const {
    if (unit == PositionUnit::Time) return m_clock.TimeOf(block);
    return static_cast<int64_t>(std::min<uint64_t>(block, std::numeric_limits<int64_t>::max()));
}

uint64_t FilePositions::BlockOf(int64_t value, PositionUnit unit) const {
    if (value <= 0) return 0;
    const uint64_t block = unit == PositionUnit::Samples ? static_cast<uint64_t>(value) : m_clock.BlockAt(value);
    return std::min(block, m_total);
}

uint64_t FilePositions::Moved(uint64_t now, uint64_t base, int64_t value, PositionMove move,
                              PositionUnit unit) const {
    switch (move) {
    case PositionMove::Absolute: return BlockOf(value, unit);
    case PositionMove::Relative: return BlockOf(SaturatingAdd(ValueOf(now, unit), value), unit);
    case PositionMove::Incremental: return BlockOf(SaturatingAdd(ValueOf(base, unit), value), unit);
    default: return now;
    }
}

}  // namespace zemsource
