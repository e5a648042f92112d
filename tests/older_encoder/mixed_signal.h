// SPDX-License-Identifier: BSD-3-Clause
// Sample material for streams built from PCM: music-like stretches with
// silence, full-scale jumps and noise between them, and the split of PCM into
// the channel values the older path reconstructs.
#pragma once

#include <cstdint>
#include <vector>

namespace older_encoder {

// Interleaved sample values of `blocks` blocks, in the signed range of the
// sample size: stretches of music, full scale, music, silence, music and
// noise, over and over, of lengths drawn from `seed`. Each stretch begins
// where its signal begins, so there are jumps between them as in real cuts.
std::vector<int32_t> MixedSignal(int channels, int bits, uint32_t blocks, uint32_t seed);

// The channel values the older path turns into these samples: X and Y with
// first = X - Y / 2 and second = first + Y for stereo (Y all 0 for mono).
// 8-bit values are stored as the unsigned byte below 3831 (its output has no
// offset) and as the signed sample from 3831 on.
void SplitChannels(const int32_t* interleaved, int blocks, int channels, int bits, int version,
                   std::vector<int32_t>& x, std::vector<int32_t>& y);

}  // namespace older_encoder
