// SPDX-License-Identifier: BSD-3-Clause
// The identifiers by which disc databases know a CD, worked out from its
// table of contents: the first sector of every track and of the lead-out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ripcheck {

struct DiscToc {
    std::vector<uint32_t> trackStarts;  // sectors from the disc's start, track 1 first
    uint32_t leadout = 0;               // the sector after the last track
};

// The CDDB (freedb) identifier: a digit sum of the tracks' start seconds, the
// playing time and the track count.
uint32_t CddbId(const DiscToc& toc);

struct AccurateRipIds {
    uint32_t tracks = 0;
    uint32_t id1 = 0;  // the sum of the start sectors and the lead-out
    uint32_t id2 = 0;  // the same, each weighted by its track number
    uint32_t cddb = 0;
};
AccurateRipIds AccurateRipIdsOf(const DiscToc& toc);
// "NNN-XXXXXXXX-XXXXXXXX-XXXXXXXX", lower-case hex, as the database names its files.
std::string AccurateRipName(const AccurateRipIds& ids);

// The MusicBrainz disc ID, or an empty text when this build has no libdiscid.
std::string MusicBrainzId(const DiscToc& toc);
bool HaveMusicBrainzIds();
// libdiscid's own CDDB identifier, for comparing with CddbId; 0 without libdiscid.
uint32_t LibraryCddbId(const DiscToc& toc);

// Eight lower-case hex digits.
std::string Hex8(uint32_t value);

}  // namespace ripcheck
