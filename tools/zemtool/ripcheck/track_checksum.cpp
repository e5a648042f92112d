// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ripcheck/track_checksum.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace ripcheck {

uint32_t Crc32(uint32_t crc, const uint8_t* bytes, size_t count) {
    // zlib counts in unsigned int: a longer run goes in pieces.
    uLong value = crc;
    while (count > 0) {
        const size_t piece = std::min<size_t>(count, UINT_MAX);
        value = crc32(value, bytes, static_cast<uInt>(piece));
        bytes += piece;
        count -= piece;
    }
    return static_cast<uint32_t>(value);
}

TrackChecksum::TrackChecksum(uint64_t samples, bool firstTrack, bool lastTrack)
    : m_firstCounted(firstTrack ? kSkippedSamples : 1),
      m_lastCounted(!lastTrack ? samples : samples >= kSkippedSamples ? samples - kSkippedSamples : 0),
      m_crc(0) {}

void TrackChecksum::Add(const uint8_t* pcm, size_t samples) {
    m_crc = Crc32(m_crc, pcm, samples * 4);
    uint32_t v1 = m_v1;
    uint32_t v2 = m_v2;
    for (size_t i = 0; i < samples; ++i) {
        const uint64_t position = m_position + 1 + i;
        if (position < m_firstCounted || position > m_lastCounted)
            continue;
        const uint8_t* at = pcm + 4 * i;
        const uint32_t word = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                              static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
        // The database's programs count positions in 32 bits; no CD track comes near the limit.
        const uint64_t product = static_cast<uint64_t>(word) * static_cast<uint32_t>(position);
        v1 += static_cast<uint32_t>(product);
        v2 += static_cast<uint32_t>(product) + static_cast<uint32_t>(product >> 32);
    }
    m_v1 = v1;
    m_v2 = v2;
    m_position += samples;
}

TrackSums TrackChecksum::Result() const {
    TrackSums sums;
    sums.v1 = m_v1;
    sums.v2 = m_v2;
    sums.crc32 = m_crc;
    return sums;
}

}  // namespace ripcheck
