// SPDX-License-Identifier: BSD-3-Clause
// Every track's sums from one pass over the image, decoded through libzem.
#pragma once

#include "tools/zemtool/ripcheck/track_checksum.h"

#include <cstdint>
#include <string>
#include <vector>

typedef struct zem_decoder zem_decoder;

namespace ripcheck {

struct ImageSums {
    bool ok = false;
    std::string problem;        // why nothing was summed (not CD audio, a track outside the image)
    uint64_t samples = 0;       // the image's length
    std::vector<TrackSums> tracks;
    std::vector<uint64_t> trackSamples;
    uint32_t imageCrc32 = 0;    // of every sample, audio before track 1 included (a range rip's CRC)
    std::vector<std::string> damage;  // frames that failed their check (their samples count as silence)
};

// `starts` are the tracks' first samples, ascending, the first at or after 0;
// each track runs to the next one's start, the last to the image's end.
// Anything but 44,100 Hz 16-bit stereo is refused with the reason.
ImageSums SumImage(zem_decoder* decoder, const std::vector<uint64_t>& starts);

}  // namespace ripcheck
