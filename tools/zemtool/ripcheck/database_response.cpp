// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ripcheck/database_response.h"

#include <algorithm>

namespace ripcheck {
namespace {

constexpr size_t kHeaderBytes = 13;
constexpr size_t kTrackBytes = 9;

uint32_t Le32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

}  // namespace

bool ParseDatabaseResponse(const std::vector<uint8_t>& bytes, std::vector<Pressing>* pressings,
                           std::string* problem) {
    pressings->clear();
    size_t at = 0;
    if (bytes.empty()) {
        *problem = "the response is empty";
        return false;
    }
    while (at < bytes.size()) {
        if (bytes.size() - at < kHeaderBytes) {
            *problem = "the response ends inside a pressing's header, at byte " + std::to_string(at);
            return false;
        }
        Pressing pressing;
        pressing.ids.tracks = bytes[at];
        pressing.ids.id1 = Le32(&bytes[at + 1]);
        pressing.ids.id2 = Le32(&bytes[at + 5]);
        pressing.ids.cddb = Le32(&bytes[at + 9]);
        at += kHeaderBytes;
        if (pressing.ids.tracks == 0) {
            *problem = "a pressing of no tracks";
            return false;
        }
        if ((bytes.size() - at) / kTrackBytes < pressing.ids.tracks) {
            *problem = "the response ends inside the tracks of pressing " + std::to_string(pressings->size() + 1);
            return false;
        }
        for (uint32_t i = 0; i < pressing.ids.tracks; ++i) {
            PressingTrack track;
            track.confidence = bytes[at];
            track.checksum = Le32(&bytes[at + 1]);
            track.frame450 = Le32(&bytes[at + 5]);
            pressing.tracks.push_back(track);
            at += kTrackBytes;
        }
        pressings->push_back(std::move(pressing));
    }
    return true;
}

TrackMatch MatchTrack(const std::vector<Pressing>& pressings, const AccurateRipIds& ids, size_t track, uint32_t v1,
                      uint32_t v2) {
    TrackMatch match;
    for (const Pressing& pressing : pressings) {
        // A block for another disc (the database's files can hold collisions) says nothing.
        if (pressing.ids.id1 != ids.id1 || pressing.ids.id2 != ids.id2 || pressing.ids.cddb != ids.cddb ||
            track >= pressing.tracks.size())
            continue;
        const PressingTrack& entry = pressing.tracks[track];
        int version = entry.checksum == v2 ? 2 : entry.checksum == v1 ? 1 : 0;
        if (version == 0)
            continue;
        match.matched = true;
        match.version = std::max(match.version, version);
        match.confidence += entry.confidence;
        ++match.pressings;
    }
    return match;
}

std::string DatabasePath(const AccurateRipIds& ids) {
    const std::string id1 = Hex8(ids.id1);
    return std::string("/accuraterip/") + id1[7] + "/" + id1[6] + "/" + id1[5] + "/dBAR-" + AccurateRipName(ids) +
           ".bin";
}

}  // namespace ripcheck
