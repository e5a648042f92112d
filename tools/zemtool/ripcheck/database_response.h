// SPDX-License-Identifier: BSD-3-Clause
// The AccurateRip database's answer for one disc identifier: one block per
// pressing the database knows, each with every track's checksum and the
// number of rips that agreed on it.
#pragma once

#include "tools/zemtool/ripcheck/disc_ids.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ripcheck {

struct PressingTrack {
    uint32_t confidence = 0;
    uint32_t checksum = 0;      // v1 or v2
    uint32_t frame450 = 0;      // a checksum of one sector, for finding read offsets (unused here)
};

struct Pressing {
    AccurateRipIds ids;
    std::vector<PressingTrack> tracks;
};

// Blocks of: track count (1 byte), the two ids and the CDDB id (4 bytes each,
// little-endian), then per track its confidence (1 byte), checksum and sector
// checksum (4 bytes each). False with the reason when the bytes are not that.
bool ParseDatabaseResponse(const std::vector<uint8_t>& bytes, std::vector<Pressing>* pressings,
                           std::string* problem);

// What the database says about one track's sums.
struct TrackMatch {
    bool matched = false;
    int version = 0;          // 1 or 2 when matched
    uint32_t confidence = 0;  // summed over the pressings that hold the checksum
    uint32_t pressings = 0;   // how many of them do
};
TrackMatch MatchTrack(const std::vector<Pressing>& pressings, const AccurateRipIds& ids, size_t track, uint32_t v1,
                      uint32_t v2);

// The database file's path below its base address: "/accuraterip/a/b/c/dBAR-NAME.bin",
// a, b and c the last three hex digits of id1, last first.
std::string DatabasePath(const AccurateRipIds& ids);

}  // namespace ripcheck
