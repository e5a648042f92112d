// SPDX-License-Identifier: BSD-3-Clause
// Which read offset would make a track match the database: its v1 checksum
// for the audio shifted by every offset up to a limit, in one pass (v1 is a
// weighted sum, so shifting by one sample updates it in constant time).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef struct zem_decoder zem_decoder;

namespace ripcheck {

// Drives' read offsets stay within five sectors.
constexpr int kMaxReadOffset = 2940;

// The offsets k (-limit..limit, 0 left out) at which the v1 checksum of the
// image's samples from start + k, `samples` long, is one of `wanted`. Samples
// outside the image count as silence, as a drive reads them. False with the
// reason when the audio cannot be read.
bool FindMatchingOffsets(zem_decoder* image, uint64_t start, uint64_t samples, bool firstTrack, bool lastTrack,
                         const std::vector<uint32_t>& wanted, int limit, std::vector<int>* offsets,
                         std::string* problem);

}  // namespace ripcheck
