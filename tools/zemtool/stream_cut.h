// Where a stream's bytes end against where its seek table says its frames
// lie: a file cut short is told apart from frames that fail their check.
#pragma once

#include <cstdint>
#include <string>

class CDecoder;

namespace zemtool {

struct StreamCut {
    bool cut = false;
    int32_t frame = 0;      // the first frame that is not all there
    int64_t fileEnd = 0;    // where the stream's bytes end in the file
    int64_t present = 0;    // bytes of that frame in the file
    int64_t expected = 0;   // bytes the seek table gives it (0 for the last frame: unknown)
};

// The last frame's size is what is left of the file, so a cut inside it shows
// only as a last frame without any bytes.
StreamCut FindStreamCut(CDecoder& decoder);

// "the stream ends inside frame 2, at byte 100 of 4000", "... before frame 3,
// at byte N of the file", or for frame 0 "the file holds no audio: ...".
std::string DescribeCut(const StreamCut& cut);

}  // namespace zemtool
