// Checks encoded frames by decoding them again: each frame is put into a
// stream of its own in memory and read back through the stream decoder, the
// way a player reads it, and the blocks must equal those it was made from.
#pragma once

#include "container/wave_format.h"

#include <cstdint>
#include <vector>

class CFrameCheck {
public:
    CFrameCheck(const WAVEFORMATEX& format, uint16_t level) : m_format(format), m_level(level) {}

    // Whether `frame` (in reading order, as CFrameEncoder makes it) decodes to
    // the `blocks` blocks at `pcm` and passes its check.
    bool Matches(const uint8_t* pcm, int32_t blocks, const std::vector<uint8_t>& frame) const;

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
