// SPDX-License-Identifier: BSD-3-Clause
#include "zemsource/pcm_format.h"

namespace zemsource {

bool MakePcmFormat(unsigned sampleRate, unsigned channels, unsigned bitsPerSample, PcmFormat& format) {
    if (bitsPerSample != 8 && bitsPerSample != 16 && bitsPerSample != 24) return false;
    if (channels != 1 && channels != 2) return false;
    const uint64_t blockAlign = uint64_t(channels) * (bitsPerSample / 8);
    const uint64_t byteRate = uint64_t(sampleRate) * blockAlign;
    if (sampleRate == 0 || byteRate > UINT32_MAX) return false;
    format.formatTag = kWaveFormatPcm;
    format.channels = static_cast<uint16_t>(channels);
    format.samplesPerSec = sampleRate;
    format.avgBytesPerSec = static_cast<uint32_t>(byteRate);
    format.blockAlign = static_cast<uint16_t>(blockAlign);
    format.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
    return true;
}

}  // namespace zemsource
