// SPDX-License-Identifier: BSD-3-Clause
// The PCM format the source filter offers for a stream: the fields of a
// WAVEFORMATEX record, worked out without any Windows header so that the rules
// are tested on every platform.
#pragma once

#include <cstdint>

namespace zemsource {

constexpr uint16_t kWaveFormatPcm = 1;

struct PcmFormat {
    uint16_t formatTag = kWaveFormatPcm;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

// The format of a stream with `channels` channels of `bitsPerSample` bits at
// `sampleRate` Hz. Only what the filter can deliver is accepted: 8-bit
// (unsigned), 16- or 24-bit samples, one or two channels, a rate from 1 Hz
// whose byte rate fits 32 bits. Returns false and leaves `format` alone otherwise.
bool MakePcmFormat(unsigned sampleRate, unsigned channels, unsigned bitsPerSample, PcmFormat& format);

// The byte that silence is made of: the midpoint for 8-bit unsigned samples, zero for signed ones.
inline uint8_t SilenceByte(uint16_t bitsPerSample) { return bitsPerSample == 8 ? 0x80 : 0x00; }

}  // namespace zemsource
