// SPDX-License-Identifier: BSD-3-Clause
// The source filter's PCM format and its block and time arithmetic.
#include "zemsource/media_clock.h"
#include "zemsource/pcm_format.h"

#include <gtest/gtest.h>

namespace {

using zemsource::MakePcmFormat;
using zemsource::MediaClock;
using zemsource::PcmFormat;

TEST(ZemSourceFormat, WaveFormatFieldsForEveryDeliverableShape) {
    const struct {
        unsigned rate, channels, bits;
        uint32_t byteRate;
        uint16_t blockAlign;
    } cases[] = {
        {8000, 1, 8, 8000, 1},      {11025, 2, 8, 22050, 2},      {22050, 1, 16, 44100, 2},
        {44100, 2, 16, 176400, 4},  {48000, 1, 24, 144000, 3},    {96000, 2, 24, 576000, 6},
    };
    for (const auto& c : cases) {
        PcmFormat format;
        ASSERT_TRUE(MakePcmFormat(c.rate, c.channels, c.bits, format)) << c.rate << " " << c.channels << " " << c.bits;
        EXPECT_EQ(1, format.formatTag);
        EXPECT_EQ(c.channels, format.channels);
        EXPECT_EQ(c.rate, format.samplesPerSec);
        EXPECT_EQ(c.byteRate, format.avgBytesPerSec);
        EXPECT_EQ(c.blockAlign, format.blockAlign);
        EXPECT_EQ(c.bits, format.bitsPerSample);
    }
}

TEST(ZemSourceFormat, ShapesTheFilterCannotDeliverAreRefused) {
    const struct {
        unsigned rate, channels, bits;
    } cases[] = {{44100, 0, 16}, {44100, 3, 16}, {44100, 2, 32}, {44100, 2, 12}, {44100, 1, 0}, {0, 2, 16},
                 {UINT32_MAX, 2, 24}, {UINT32_MAX / 4 + 1, 2, 16}};
    for (const auto& c : cases) {
        PcmFormat format;
        format.channels = 9;
        EXPECT_FALSE(MakePcmFormat(c.rate, c.channels, c.bits, format)) << c.rate << " " << c.channels << " " << c.bits;
        EXPECT_EQ(9, format.channels);  // left alone
    }
    PcmFormat largest;
    EXPECT_TRUE(MakePcmFormat(UINT32_MAX / 4, 2, 16, largest));
    EXPECT_EQ(UINT32_MAX / 4 * 4, largest.avgBytesPerSec);
}

TEST(ZemSourceFormat, SilenceIsTheMidpointForEightBitSamples) {
    EXPECT_EQ(0x80, zemsource::SilenceByte(8));
    EXPECT_EQ(0x00, zemsource::SilenceByte(16));
    EXPECT_EQ(0x00, zemsource::SilenceByte(24));
}

TEST(ZemSourceClock, BlockTimesRoundDown) {
    const MediaClock clock(44100);
    EXPECT_EQ(0, clock.TimeOf(0));
    EXPECT_EQ(226, clock.TimeOf(1));        // 226.76
    EXPECT_EQ(10000000, clock.TimeOf(44100));
    EXPECT_EQ(10000226, clock.TimeOf(44101));
    EXPECT_EQ(int64_t(3600) * 24 * 365 * 10000000, MediaClock(48000).TimeOf(uint64_t(48000) * 3600 * 24 * 365));
    EXPECT_EQ(0, MediaClock(0).TimeOf(0));  // a rate of 0 counts as 1 Hz
}

TEST(ZemSourceClock, BlockAtIsTheBlockWhoseSpanHoldsTheTime) {
    const MediaClock clock(44100);
    EXPECT_EQ(0u, clock.BlockAt(-5));
    EXPECT_EQ(0u, clock.BlockAt(0));
    EXPECT_EQ(0u, clock.BlockAt(225));
    EXPECT_EQ(1u, clock.BlockAt(226));  // block 1 starts at 226
    EXPECT_EQ(1u, clock.BlockAt(452));
    EXPECT_EQ(2u, clock.BlockAt(453));
    EXPECT_EQ(44100u, clock.BlockAt(10000000));
    EXPECT_EQ(44099u, clock.BlockAt(9999999));
    // Rates that divide the clock exactly: every block starts on its own tick.
    const MediaClock even(8000);
    EXPECT_EQ(0u, even.BlockAt(1249));
    EXPECT_EQ(1u, even.BlockAt(1250));
}

TEST(ZemSourceClock, EveryBlockStartMapsBackToItsBlock) {
    for (uint32_t rate : {8000u, 11025u, 22050u, 32000u, 44100u, 48000u, 88200u, 96000u, 192000u, 7u}) {
        const MediaClock clock(rate);
        for (uint64_t block : {uint64_t(0), uint64_t(1), uint64_t(2), uint64_t(rate - 1), uint64_t(rate),
                               uint64_t(rate) * 3 + 17, uint64_t(rate) * 86400 * 7 + 5}) {
            const int64_t start = clock.TimeOf(block);
            EXPECT_EQ(block, clock.BlockAt(start)) << rate << " " << block;
            EXPECT_EQ(block, clock.BlockAt(clock.TimeOf(block + 1) - 1)) << rate << " " << block;
        }
    }
}

}  // namespace
