// The bundled sample files: a small synthetic ZEM image, a link file to one
// track of it and an older-format stream. The frames are placeholder bytes,
// not audio: the samples exist to show and test what the headers, the link
// file and the tags say.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace samples {

struct SampleFile {
    std::string name;  // file name inside samples/
    std::vector<uint8_t> bytes;
};

// The image's format, which the link file and the tests rely on.
constexpr uint32_t kImageSampleRate = 44100;
constexpr uint32_t kImageBlocksPerFrame = 73728;
constexpr uint32_t kImageFinalFrameBlocks = 44100;
constexpr int32_t kTrackStartBlock = 44100;    // 1 s into the image
constexpr int32_t kTrackFinishBlock = 132300;  // 3 s into the image

std::vector<SampleFile> BuildSampleSet();

}  // namespace samples
