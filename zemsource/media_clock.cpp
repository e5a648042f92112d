#include "zemsource/media_clock.h"

namespace zemsource {

namespace {

// a * b / c rounded down, without an overflow on the way for any result that fits 64 bits (b, c < 2^32).
uint64_t MulDiv(uint64_t a, uint64_t b, uint64_t c) {
    const uint64_t whole = a / c, rest = a % c;
    return whole * b + rest * b / c;
}

}  // namespace

int64_t MediaClock::TimeOf(uint64_t block) const {
    return static_cast<int64_t>(MulDiv(block, kUnitsPerSecond, m_rate));
}

uint64_t MediaClock::BlockAt(int64_t time) const {
    if (time <= 0) return 0;
    // The last block n with floor(n * 10^7 / rate) <= time: n = floor(((time + 1) * rate - 1) / 10^7).
    const uint64_t t = static_cast<uint64_t>(time);
    return MulDiv(t + 1, m_rate, kUnitsPerSecond) - ((t + 1) % kUnitsPerSecond * m_rate % kUnitsPerSecond == 0 ? 1 : 0);
}

}  // namespace zemsource
