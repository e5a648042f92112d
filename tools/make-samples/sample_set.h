// SPDX-License-Identifier: BSD-3-Clause
// The bundled sample files: a small synthetic ZEM image, a link file to one
// track of it and an older-format stream. The frames are placeholder bytes,
// not audio: the samples exist to show and test what the headers, the link
// file and the tags say.
#pragma once

#include "tests/support/wave_fixture.h"

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

// The bundled album: a cue sheet and the image it names, in samples/album/,
// for the main job (zemtool links, then zemtool decode of one track). The
// image is made at build time (target sample_album), not committed.
constexpr const char* kAlbumFolder = "album";
constexpr const char* kAlbumCueSheet = "album/Tallowmere.cue";
constexpr const char* kAlbumImage = "album/Tallowmere.zem";
constexpr uint32_t kAlbumTotalBlocks = 7 * kImageBlocksPerFrame + 13104;  // 12 s at 44100
SampleFile AlbumCueSheet();
SampleFile AlbumImage();
// The wave file the album image is encoded from.
testing_support::WaveShape AlbumWaveShape();

// The committed sample files (all but the album image).
std::vector<SampleFile> BuildSampleSet();

}  // namespace samples
