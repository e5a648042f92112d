// SPDX-License-Identifier: BSD-3-Clause
// What `zemtool ripcheck` found, gathered before it is printed.
#pragma once

#include "tools/zemtool/ripcheck/database_response.h"
#include "tools/zemtool/ripcheck/disc_ids.h"
#include "tools/zemtool/ripcheck/rip_log.h"
#include "tools/zemtool/ripcheck/track_checksum.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace zemtool {

struct RipcheckTrack {
    int number = 0;
    uint32_t startSector = 0;
    uint64_t samples = 0;
    ripcheck::TrackSums sums;
    std::optional<uint32_t> logCrc;
    std::vector<std::string> logAccurateRip;
    std::optional<ripcheck::TrackMatch> database;  // set when the database answered for this disc
};

struct RipcheckResult {
    ripcheck::AccurateRipIds ids;
    std::string musicBrainzId;  // empty when the build cannot work it out
    std::vector<RipcheckTrack> tracks;
    std::vector<std::string> damage;

    std::string logFile;          // empty when no log was read
    std::string logDialect;
    std::string logProblem;       // e.g. the log is for another disc
    uint32_t imageCrc = 0;        // of the whole image, for a range rip's log
    std::optional<uint32_t> logRangeCrc;

    bool lookedUp = false;
    std::string lookupState;      // "found", "not-found", "failed"
    std::string lookupProblem;
    size_t pressings = 0;
    // Read offsets (samples) at which tracks the database does not know would
    // match it (v1), with those tracks' numbers; the offsets that fit most first.
    std::vector<std::pair<int, std::vector<int>>> offsets;
    std::string offsetProblem;

    // Each track whose log CRC differs, or that the database knows under none of its sums.
    bool TrackFailed(const RipcheckTrack& track) const;
    bool Passed() const;
};

void PrintRipcheckTable(const RipcheckResult& result, std::ostream& out);
void PrintRipcheckJson(const RipcheckResult& result, std::ostream& out);

}  // namespace zemtool
