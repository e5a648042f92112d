// SPDX-License-Identifier: BSD-3-Clause
#include "zemsource/media_clock.h"

#include <algorithm>

namespace zemsource {

namespace {

// a * b / c rounded down, without an overflow on the way (0 < b, c < 2^32);
// a result beyond 64 bits is held at UINT64_MAX.
uint64_t MulDiv(uint64_t a, uint64_t b, uint64_t c) {
    const uint64_t whole = a / c, rest = a % c;
    if (whole > UINT64_MAX / b) return UINT64_MAX;
    const uint64_t high = whole * b, low = rest * b / c;
    return high > UINT64_MAX - low ? UINT64_MAX : high + low;
}

}  // namespace

int64_t MediaClock::TimeOf(uint64_t block) const {
    return static_cast<int64_t>(std::min<uint64_t>(MulDiv(block, kUnitsPerSecond, m_rate), INT64_MAX));
}

uint64_t MediaClock::BlockAt(int64_t time) const {
    if (time <= 0) return 0;
    // The last block n with floor(n * 10^7 / rate) <= time: n = floor(((time + 1) * rate - 1) / 10^7).
    const uint64_t t = static_cast<uint64_t>(time);
    return MulDiv(t + 1, m_rate, kUnitsPerSecond) - ((t + 1) % kUnitsPerSecond * m_rate % kUnitsPerSecond == 0 ? 1 : 0);
}

}  // namespace zemsource
