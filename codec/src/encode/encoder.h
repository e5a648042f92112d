// SPDX-License-Identifier: BSD-3-Clause
// The encoder: a RIFF/WAVE file in, a version 3990 ZEM stream out, from which
// the decoder gives back the wave file byte for byte.
//
// The descriptor's digest is the MD5 of exactly those bytes: the stored wave
// header, the audio and the trailing bytes, in file order, i.e. the whole
// wave file as it was encoded.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <functional>
#include <string>

namespace zem {

class CStreamIo;

struct EncodeSettings {
    static constexpr int32_t kDefaultBlocksPerFrame = 294912;
    int32_t level = 2000;  // 1000, 2000, 3000, 4000 or 5000
    int32_t blocksPerFrame = kDefaultBlocksPerFrame;
    // Frames are encoded on this many threads at once; the stream is the same
    // for any number.
    int threads = 1;
    // Every frame is decoded again and compared with its blocks before it is
    // written, and the stream's front is read back at the end; a frame that
    // does not come back gives CODEC_BAD_CHECKSUM and names the frame.
    bool verify = false;
};

// Called after each frame with the blocks done and the blocks in all.
using EncodeProgress = std::function<void(int64_t done, int64_t total)>;

// Encodes the wave file read from the start of `in` into `out` (empty,
// positioned at 0). Returns a CodecError and, on failure, a one-line reason:
// CODEC_BAD_INPUT for input that is no PCM wave file this encoder takes or is
// damaged, CODEC_BAD_ARGUMENT for settings out of range, CODEC_READ_FAILED /
// CODEC_WRITE_FAILED for failing files, CODEC_BAD_CHECKSUM when a check of
// `settings.verify` fails. A 24-bit stream may be written at a lower level
// than asked for, when that level codes it smaller (see level_trial.h).
int EncodeStream(CStreamIo& in, CStreamIo& out, const EncodeSettings& settings, const EncodeProgress& progress,
                 std::string* reason);

// Into a file. The stream is written under a temporary name beside `outPath`
// and renamed into place only when complete, so a failed or interrupted
// encode never leaves a partial file under the final name.
int EncodeStreamToFile(CStreamIo& in, const WCHAR* outPath, const EncodeSettings& settings,
                       const EncodeProgress& progress, std::string* reason);

// File to file, as above.
int EncodeFile(const WCHAR* inPath, const WCHAR* outPath, const EncodeSettings& settings,
               const EncodeProgress& progress, std::string* reason);

}  // namespace zem
