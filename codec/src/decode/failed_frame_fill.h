// SPDX-License-Identifier: BSD-3-Clause
// The byte a frame that fails its check is replaced by, sample by sample, so
// that its blocks keep their length: the current decoder writes it itself,
// and a reader of an older stream (whose decoder stops at such a frame) fills
// the frame's blocks with it.
#pragma once

#include <cstdint>

namespace zem {

namespace failed_frame_fill {

constexpr int kFirstCurrentVersion = 3930;
// 8-bit samples are unsigned from this version on.
constexpr int kFirstUnsignedByteVersion = 3831;

// Silence for every sample size but 8 bits, where streams differ by age: the
// current decoder has always filled with 127, the tools reading older
// streams wrote the unsigned midpoint 128 (0 before samples were unsigned).
constexpr uint8_t ByteFor(int version, int bitsPerSample) {
    if (bitsPerSample != 8)
        return 0;
    if (version >= kFirstCurrentVersion)
        return 127;
    return version >= kFirstUnsignedByteVersion ? 128 : 0;
}

}  // namespace failed_frame_fill

}  // namespace zem
