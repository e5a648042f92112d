// SPDX-License-Identifier: BSD-3-Clause
// PCM wave files for encoder and decoder tests: signals of known content, a
// RIFF/WAVE builder, and in-memory encode and decode helpers.
#pragma once

#include "tests/support/test_files.h"

#include <cstdint>
#include <vector>

namespace zem {
class CDecoder;
}

namespace testing_support {

enum class Signal {
    Music,      // tones with a slow envelope and a little noise
    Silence,    // all zero
    FullScale,  // jumps between the extremes of the sample size, with noise near them
    Noise,      // white noise over the full range
};

struct WaveShape {
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;
    uint32_t sampleRate = 44100;
    uint32_t blocks = 1000;
    Signal signal = Signal::Music;
    uint32_t seed = 1;
    Bytes extraChunk;  // a chunk written between "fmt " and "data", whole (id, size, body)
    Bytes trailing;    // bytes behind the data chunk
};

// Interleaved sample values of `shape`, in the signed range of the sample size.
std::vector<int32_t> MakeSamples(const WaveShape& shape);
Bytes PcmBytes(const std::vector<int32_t>& samples, uint16_t bitsPerSample);
Bytes BuildWave(const WaveShape& shape);

// Encodes `wave` in memory; the result code goes to `result` when given.
Bytes EncodeWaveBytes(const Bytes& wave, int32_t level, int32_t blocksPerFrame, int* result = nullptr);

// Everything the decoder gives from its current position, `chunkBlocks` at a
// time; the last non-zero GetData result goes to `result`.
Bytes DecodeBlocks(zem::CDecoder& decoder, int32_t chunkBlocks, int* result = nullptr);
// The wave file a whole stream decodes to: header, blocks, trailer.
Bytes DecodeToWave(const Bytes& stream, int* result = nullptr);

}  // namespace testing_support
