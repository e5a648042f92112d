// SPDX-License-Identifier: BSD-3-Clause
// The per-track sums rip checkers compare: the two AccurateRip checksums and
// the CRC-32 of the track's PCM bytes that rip logs print as "Copy CRC".
#pragma once

#include <cstddef>
#include <cstdint>

namespace ripcheck {

// A CD sector holds 588 stereo samples of 16 bits (1/75 second).
constexpr uint32_t kSectorSamples = 588;
// Drives cannot read the first and last five sectors of a disc reliably with
// every read offset, so the checksums leave them out of the first and last track.
constexpr uint32_t kSkippedSamples = 5 * kSectorSamples;

// The CRC-32 rip logs print (zlib's) after `count` more bytes; 0 before the first.
uint32_t Crc32(uint32_t crc, const uint8_t* bytes, size_t count);

struct TrackSums {
    uint32_t v1 = 0;
    uint32_t v2 = 0;
    uint32_t crc32 = 0;
};

// The sums of one track of `samples` stereo samples, fed its PCM (4 bytes a
// sample, left in the low half, little-endian) in pieces of any size.
class TrackChecksum {
public:
    TrackChecksum(uint64_t samples, bool firstTrack, bool lastTrack);
    void Add(const uint8_t* pcm, size_t samples);
    TrackSums Result() const;
    uint64_t Taken() const { return m_position; }

private:
    uint64_t m_firstCounted;  // positions from 1; none count when first > last
    uint64_t m_lastCounted;
    uint64_t m_position = 0;
    uint32_t m_v1 = 0;
    uint32_t m_v2 = 0;
    uint32_t m_crc;
};

}  // namespace ripcheck
