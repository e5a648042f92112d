// SPDX-License-Identifier: BSD-3-Clause
#include "container/wave_format.h"

#include <cstring>

namespace {

void PutLittleEndian32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutLittleEndian16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

// The first 16 bytes of the record, byte by byte, so the result does not
// depend on the host's byte order or on how the record is packed.
void PutFormatChunk(uint8_t* out, const WAVEFORMATEX& format) {
    PutLittleEndian16(out + 0, format.wFormatTag);
    PutLittleEndian16(out + 2, format.nChannels);
    PutLittleEndian32(out + 4, format.nSamplesPerSec);
    PutLittleEndian32(out + 8, format.nAvgBytesPerSec);
    PutLittleEndian16(out + 12, format.nBlockAlign);
    PutLittleEndian16(out + 14, format.wBitsPerSample);
}

}  // namespace

int FillWaveFormatEx(WAVEFORMATEX* format, int sampleRate, int bitsPerSample, int channels) {
    if (!format)
        return -1;
    // The record's fields are 16 and 32 bits wide; larger values keep their low bits.
    const uint32_t blockAlign = static_cast<uint32_t>(bitsPerSample / 8) * static_cast<uint32_t>(channels);
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = static_cast<uint16_t>(channels);
    format->nSamplesPerSec = static_cast<uint32_t>(sampleRate);
    format->nBlockAlign = static_cast<uint16_t>(blockAlign);
    format->nAvgBytesPerSec = static_cast<uint16_t>(blockAlign) * static_cast<uint32_t>(sampleRate);
    format->wBitsPerSample = static_cast<uint16_t>(bitsPerSample);
    format->cbSize = 0;
    return 0;
}

int FillWaveHeader(uint8_t* header44, int dataBytes, const WAVEFORMATEX* format, int terminatingBytes) {
    if (!header44 || !format)
        return -1;
    const uint32_t riffBytes =
        static_cast<uint32_t>(dataBytes) + static_cast<uint32_t>(terminatingBytes) + 36u;
    std::memcpy(header44 + 0, "RIFF", 4);
    PutLittleEndian32(header44 + 4, riffBytes);
    std::memcpy(header44 + 8, "WAVE", 4);
    std::memcpy(header44 + 12, "fmt ", 4);
    PutLittleEndian32(header44 + 16, 16);
    PutFormatChunk(header44 + 20, *format);
    std::memcpy(header44 + 36, "data", 4);
    PutLittleEndian32(header44 + 40, static_cast<uint32_t>(dataBytes));
    return 0;
}
