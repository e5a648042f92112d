// SPDX-License-Identifier: BSD-3-Clause
// CD images made for ripcheck's tests: sample words, encoded to a ZEM image
// with a cue sheet beside it, and zemtool run on them in-process.
#pragma once

#include "tests/support/test_files.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ripcheck_tests {

struct RunResult {
    int exitCode;
    std::string out;
    std::string err;
};
RunResult RunTool(const std::vector<std::string>& args);

// Writes NAME.zem (the words as 16-bit stereo, 4096 blocks a frame, so that
// track starts fall inside frames) and NAME.cue with one INDEX 01 a track
// (start sectors given); returns the sheet's path. `extraTrackLines` go into
// every track (INDEX 00 lines and the like, by track number from 1).
std::string WriteImage(const testing_support::TempDir& dir, const std::string& name,
                       const std::vector<uint32_t>& words, const std::vector<uint32_t>& startSectors,
                       uint16_t channels = 2, uint32_t rate = 44100);

// Every value of `key` in the output, in order ("accuraterip_v1": "...").
std::vector<std::string> JsonValues(const std::string& json, const std::string& key);

std::string Hex8(uint32_t value);

}  // namespace ripcheck_tests
