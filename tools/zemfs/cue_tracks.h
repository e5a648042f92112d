// SPDX-License-Identifier: BSD-3-Clause
// The tracks of a cue folder: for each link file Tessarine would write by
// default for the sheet, its name as a WAV file and the image range it plays.
// The plan is made in memory by the link build job's own code; nothing is
// written beside the sheet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zemfs {

struct TrackFile {
    std::string name;   // "ARTIST - ALBUM - TRACK# - TITLE.wav", as the link's name
    int32_t start = 0;  // as the link file says; -1 as finish is the image's end
    int32_t finish = -1;
};

struct CueFolderPlan {
    std::string image;  // the image the links name, as a system path
    std::string imageAsWritten;  // the sheet's FILE value (a link's image path in the library's form)
    std::vector<TrackFile> tracks;  // by name; two tracks of one name leave the later, as on disk
    std::vector<std::string> leftOut;  // why a track has no file ("track 03: the name ... is too long")
};

// The longest file name a folder takes, in bytes.
constexpr size_t kMaxNameBytes = 255;

// For the cue sheet at `cuePath`.
CueFolderPlan PlanCueFolder(const std::string& cuePath);
// For the sheet carried in the tag of the image at `imagePath` (no tracks
// when it carries none).
CueFolderPlan PlanImageCueFolder(const std::string& imagePath);

}  // namespace zemfs
