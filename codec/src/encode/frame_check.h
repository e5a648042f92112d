// SPDX-License-Identifier: BSD-3-Clause
// Checks encoded frames by decoding them again: a run of consecutive frames
// is put into a stream of its own in memory and read back through the stream
// decoder, the way a player reads it, frame by frame; each frame must pass
// its check and give back the blocks it was made from.
#pragma once

#include "container/wave_format.h"

#include <cstdint>
#include <vector>

namespace zem {

class CFrameCheck {
public:
    CFrameCheck(const WAVEFORMATEX& format, uint16_t level) : m_format(format), m_level(level) {}

    // The first of `frames` frames that does not come back, counted from 0,
    // or -1 when all do. The frames' bytes (in reading order, as
    // CFrameEncoder makes them) lie one after the other in `bytes`, frame i
    // ending at ends[i]; each frame holds `blocksPerFrame` blocks but the
    // last, which holds `finalBlocks`; their blocks lie one after the other
    // at `pcm`.
    int64_t FirstMismatch(const uint8_t* pcm, uint32_t frames, int32_t blocksPerFrame, int32_t finalBlocks,
                          const uint8_t* bytes, const size_t* ends) const;

private:
    WAVEFORMATEX m_format;
    uint16_t m_level;
};

// Whether the front of a stream (descriptor, header, seek table, stored wave
// header), as the header reader reads it, says what the encoder meant:
// version, level, frames and blocks, sample format, the seek table and the
// stored wave header.
struct StreamLayout;
bool FrontReadsBack(const std::vector<uint8_t>& front, const StreamLayout& layout,
                    const std::vector<uint32_t>& seekTable, const std::vector<uint8_t>& waveHeader);

}  // namespace zem
