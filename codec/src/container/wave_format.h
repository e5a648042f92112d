// SPDX-License-Identifier: BSD-3-Clause
// The wave-format record and the canonical 44-byte wave file header, as the
// stream information synthesises them and as Tessarine exports them.
#pragma once

#include "platform/win32.h"

#include <cstdint>

#ifdef _WIN32
#include <mmreg.h>
#else
#pragma pack(push, 1)
// Same layout as the Windows record: packed, 18 bytes.
struct WAVEFORMATEX {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
};
#pragma pack(pop)
#endif

#ifndef WAVE_FORMAT_PCM
#define WAVE_FORMAT_PCM 1
#endif

static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX must be the packed 18-byte record");

constexpr int kWaveHeaderBytes = 44;

// Both are exported from the program by these plain names, hence C linkage.
extern "C" {

// Fills a PCM record; block align is whole bytes per sample times channels.
// Returns 0 (-1 only when `format` is null).
int FillWaveFormatEx(WAVEFORMATEX* format, int sampleRate, int bitsPerSample, int channels);

// Writes the 44-byte RIFF/WAVE header for `dataBytes` of audio followed by
// `terminatingBytes` of trailing data. Returns 0 (-1 only for a null argument).
int FillWaveHeader(uint8_t* header44, int dataBytes, const WAVEFORMATEX* format, int terminatingBytes);

}  // extern "C"
