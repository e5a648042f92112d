// SPDX-License-Identifier: BSD-3-Clause
// Where `zemtool ripcheck` finds what it checks: the sheet's tracks, the image
// it names, and a rip log beside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zemtool {

struct RipcheckSheet {
    std::vector<uint32_t> startSectors;  // every audio track's INDEX 01
    std::vector<int> numbers;
    std::string image;                   // the image's path, as the system takes it
    std::string folder;                  // where a log is looked for ("" for the current folder)
    std::string stem;                    // the sheet's (or image's) name without extension
    std::vector<int> dataTracks;         // TRACK nn MODE... lines: no audio of the image, not in the ids
    std::string problem;                 // why there is nothing to check
};

// `path` is a cue sheet, or a .zem/.qrb image carrying its sheet in its tag.
RipcheckSheet ReadRipcheckSheet(const std::string& path);

// The log beside the sheet that a rip most likely left: STEM.log, else the
// only .log in the folder. Empty when there is none (or several, then `note` says so).
std::string FindLogBeside(const RipcheckSheet& sheet, std::string* note);

// The whole file, or false when it cannot be read or is larger than `limit`.
bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes);

}  // namespace zemtool
