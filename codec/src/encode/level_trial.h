// SPDX-License-Identifier: BSD-3-Clause
// The level a stream is written at. The filter stages keep their histories
// as 16-bit values, saturated; loud 24-bit audio fills them with clipped
// values, and then the longer stages of a higher level can predict worse
// than the shorter ones of a lower level (at level 5000 typically 1 to 4%
// larger). So a 24-bit stream asked for at one level is written at whichever
// level up to it codes trial excerpts of its audio smallest. A stream short
// enough to be its own trial is written at the level that makes it smallest,
// so no level gives it a larger stream than a lower one.
#pragma once

#include "container/wave_format.h"

#include <cstdint>
#include <vector>

namespace zem {

class CStreamIo;

// Frames' worth of audio to try the levels on, each the beginning of one of
// the stream's frames (so each is coded exactly as the frame starts).
struct TrialExcerpts {
    std::vector<std::vector<uint8_t>> pcm;
};

// Up to kTrialFrames frames spread over the stream, each whole up to
// kTrialBlocks blocks (which the default frame size is): the long filters
// lose most once their coefficients have grown, late in a frame, so frame
// beginnings alone favour them. Every frame when the stream is that short.
// Reads from `dataStart` of `in` and seeks back there; an input that cannot
// seek gives no excerpts.
constexpr uint32_t kTrialFrames = 3;
constexpr uint32_t kTrialBlocks = 294912;
TrialExcerpts ReadTrialExcerpts(CStreamIo& in, int32_t dataStart, uint32_t blockAlign, uint32_t totalBlocks,
                                uint32_t blocksPerFrame);

// Whether the format's streams take a trial (24-bit samples).
bool TakesLevelTrial(const WAVEFORMATEX& format);

// The level from 1000 up to `requested` whose frames code the excerpts in the
// fewest bytes; on a tie the higher one. `requested` with no excerpts. The
// levels are tried on up to `threads` threads at once.
int32_t ChooseStreamLevel(int32_t requested, const WAVEFORMATEX& format, const TrialExcerpts& excerpts,
                          int threads);

}  // namespace zem
