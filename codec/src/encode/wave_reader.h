// SPDX-License-Identifier: BSD-3-Clause
// Reads the front of a RIFF/WAVE file up to its audio: the PCM format and
// every byte in front of the samples, which a stream stores as they stand.
#pragma once

#include "container/wave_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zem {

class CStreamIo;

struct WaveInput {
    WAVEFORMATEX format = {};
    std::vector<uint8_t> header;  // the file's bytes in front of the audio
    // The audio, a whole number of blocks: the data chunk's size, or, when
    // that is 0, 0xFFFFFFFF or more than the input holds behind it (a wave
    // file written to a pipe), everything up to the end of the input.
    uint32_t dataBytes = 0;
};

// Largest header kept (chunks in front of the audio included).
constexpr uint32_t kMaxWaveHeaderBytes = 1u << 20;

// Reads from the current position of `in` (the start of the file) up to the
// first audio byte. Only PCM with 1 or 2 channels of 8, 16 or 24 bits is
// taken; anything else, or a damaged header, gives CODEC_BAD_INPUT and a
// one-line `reason`.
int ReadWaveHeader(CStreamIo& in, WaveInput* wave, std::string* reason);

}  // namespace zem
