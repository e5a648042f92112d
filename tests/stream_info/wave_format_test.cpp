// SPDX-License-Identifier: BSD-3-Clause
#include "container/wave_format.h"

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zem;

using testing_support::Bytes;

TEST(FillWaveFormatEx, CdAudio) {
    WAVEFORMATEX format;
    std::memset(&format, 0xCC, sizeof(format));
    EXPECT_EQ(0, FillWaveFormatEx(&format, 44100, 16, 2));
    EXPECT_EQ(WAVE_FORMAT_PCM, format.wFormatTag);
    EXPECT_EQ(2, format.nChannels);
    EXPECT_EQ(44100u, format.nSamplesPerSec);
    EXPECT_EQ(4, format.nBlockAlign);
    EXPECT_EQ(176400u, format.nAvgBytesPerSec);
    EXPECT_EQ(16, format.wBitsPerSample);
    EXPECT_EQ(0, format.cbSize);
}

TEST(FillWaveFormatEx, BlockAlignUsesWholeBytesPerSample) {
    WAVEFORMATEX format;
    FillWaveFormatEx(&format, 48000, 24, 6);
    EXPECT_EQ(18, format.nBlockAlign);
    EXPECT_EQ(864000u, format.nAvgBytesPerSec);
    FillWaveFormatEx(&format, 8000, 12, 1);  // 12 / 8 = 1 byte
    EXPECT_EQ(1, format.nBlockAlign);
    EXPECT_EQ(12, format.wBitsPerSample);
}

TEST(FillWaveFormatEx, RecordIsThePacked18ByteLayout) {
    EXPECT_EQ(18u, sizeof(WAVEFORMATEX));
    WAVEFORMATEX format;
    FillWaveFormatEx(&format, 0x0102A0B0, 8, 3);
    uint8_t raw[18];
    std::memcpy(raw, &format, sizeof(raw));
    const uint8_t expected[18] = {1, 0, 3, 0, 0xB0, 0xA0, 0x02, 0x01, 0x10, 0xE2, 0x07, 0x03, 3, 0, 8, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(expected, raw, sizeof(raw)));  // 3 * 0x0102A0B0 = 0x0307E210
}

TEST(FillWaveFormatEx, NullRecordIsRefused) { EXPECT_EQ(-1, FillWaveFormatEx(nullptr, 44100, 16, 2)); }

TEST(FillWaveHeader, ExactBytes) {
    WAVEFORMATEX format;
    FillWaveFormatEx(&format, 44100, 16, 2);
    uint8_t header[44];
    std::memset(header, 0xCC, sizeof(header));
    EXPECT_EQ(0, FillWaveHeader(header, 1000, &format, 10));

    Bytes expected;
    testing_support::PutText(expected, "RIFF");
    testing_support::PutU32(expected, 1046);  // data + terminating + 36
    testing_support::PutText(expected, "WAVEfmt ");
    testing_support::PutU32(expected, 16);
    testing_support::PutU16(expected, 1);
    testing_support::PutU16(expected, 2);
    testing_support::PutU32(expected, 44100);
    testing_support::PutU32(expected, 176400);
    testing_support::PutU16(expected, 4);
    testing_support::PutU16(expected, 16);
    testing_support::PutText(expected, "data");
    testing_support::PutU32(expected, 1000);
    EXPECT_EQ(expected, Bytes(header, header + 44));
}

TEST(FillWaveHeader, SizesWrapLikeThe32BitFields) {
    WAVEFORMATEX format;
    FillWaveFormatEx(&format, 44100, 16, 2);
    uint8_t header[44];
    FillWaveHeader(header, 0x7FFFFFF0, &format, 0x20);
    // 0x7FFFFFF0 + 0x20 + 36 = 0x80000034
    EXPECT_EQ(0x34, header[4]);
    EXPECT_EQ(0x80, header[7]);
}

TEST(FillWaveHeader, NullArgumentsAreRefused) {
    WAVEFORMATEX format;
    FillWaveFormatEx(&format, 44100, 16, 2);
    uint8_t header[44];
    EXPECT_EQ(-1, FillWaveHeader(nullptr, 0, &format, 0));
    EXPECT_EQ(-1, FillWaveHeader(header, 0, nullptr, 0));
}
