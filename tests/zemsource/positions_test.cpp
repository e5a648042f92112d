// SPDX-License-Identifier: BSD-3-Clause
// IMediaSeeking's positions at the ends of the 64-bit range: moves saturate
// and land in the file, conversions hold at the range's ends.
#include "zemsource/positions.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using zemsource::FilePositions;
using zemsource::MediaClock;
using zemsource::PositionMove;
using zemsource::PositionUnit;

TEST(ZemSourcePositions, SumsSaturate) {
    const struct {
        int64_t a, b, sum;
    } cases[] = {{LLONG_MAX, 1, LLONG_MAX}, {LLONG_MAX, LLONG_MAX, LLONG_MAX}, {LLONG_MIN, -1, LLONG_MIN},
                 {LLONG_MIN, LLONG_MIN, LLONG_MIN}, {LLONG_MAX, LLONG_MIN, -1}, {5, -7, -2}, {LLONG_MAX - 3, 3, LLONG_MAX}};
    for (const auto& c : cases) EXPECT_EQ(c.sum, zemsource::SaturatingAdd(c.a, c.b)) << c.a << " + " << c.b;
}

TEST(ZemSourcePositions, EveryMoveLandsInTheFile) {
    constexpr uint64_t kTotal = 441000;  // 10 s at 44100 Hz
    const FilePositions positions(44100, kTotal);
    const auto T = PositionUnit::Time;
    const auto S = PositionUnit::Samples;
    const struct {
        uint64_t now, base;
        int64_t value;
        PositionMove move;
        PositionUnit unit;
        uint64_t block;
    } cases[] = {
        {kTotal, 0, LLONG_MAX, PositionMove::Relative, T, kTotal},  // from the end, as far as it goes
        {kTotal, 0, LLONG_MAX, PositionMove::Relative, S, kTotal},
        {kTotal, 0, LLONG_MIN, PositionMove::Relative, T, 0},
        {0, 0, LLONG_MIN, PositionMove::Relative, S, 0},
        {1000, 0, -500, PositionMove::Relative, S, 500},
        {44100, 0, 10000000, PositionMove::Relative, T, 88200},
        {0, kTotal - 1, LLONG_MAX, PositionMove::Incremental, T, kTotal},
        {0, 2000, -1000, PositionMove::Incremental, S, 1000},
        {7, 0, LLONG_MAX, PositionMove::Absolute, T, kTotal},
        {7, 0, LLONG_MAX, PositionMove::Absolute, S, kTotal},
        {7, 0, LLONG_MIN, PositionMove::Absolute, T, 0},
        {7, 0, 4410, PositionMove::Absolute, S, 4410},
        {7, 0, LLONG_MAX, PositionMove::None, T, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.block, positions.Moved(c.now, c.base, c.value, c.move, c.unit))
            << c.now << " " << c.base << " " << c.value << " " << int(c.move) << " " << int(c.unit);
}

TEST(ZemSourcePositions, ConversionsHoldAtTheEndsOfTheRange) {
    EXPECT_EQ(LLONG_MAX, MediaClock(44100).TimeOf(uint64_t(LLONG_MAX)));
    EXPECT_EQ(LLONG_MAX, MediaClock(1).TimeOf(UINT64_MAX));
    EXPECT_EQ(LLONG_MAX, FilePositions(8000, UINT64_MAX).ValueOf(UINT64_MAX, PositionUnit::Samples));
    // floor((2^63) * 44100 / 10^7) - 0, worked out apart: the largest time's block.
    EXPECT_EQ(static_cast<uint64_t>((static_cast<unsigned __int128>(LLONG_MAX) + 1) * 44100 / 10000000),
              MediaClock(44100).BlockAt(LLONG_MAX));
    EXPECT_EQ(UINT64_MAX, MediaClock(UINT32_MAX).BlockAt(LLONG_MAX));
    // The last block that still has a time of its own maps there and back.
    const MediaClock clock(48000);
    const uint64_t last = static_cast<uint64_t>(static_cast<unsigned __int128>(LLONG_MAX) * 48000 / 10000000);
    EXPECT_EQ(last, clock.BlockAt(clock.TimeOf(last)));
}

}  // namespace
