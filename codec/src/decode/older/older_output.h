// SPDX-License-Identifier: BSD-3-Clause
// How the older path turns a frame's X and Y arrays into PCM bytes, and the
// two checks a frame can store: the CRC of those bytes or the frame sum.
#pragma once

#include <cstdint>

namespace zem {

namespace older_output {

struct SampleLayout {
    int channels = 2;
    int bitsPerSample = 16;
    int version = 0;  // below 3831, 8-bit samples carry no 128 offset
};

// Bytes per block that ConvertFrame writes; 0 for a layout it cannot write.
int BlockBytes(const SampleLayout& layout);

// Writes n blocks into `destination` (n * BlockBytes bytes) and returns the
// CRC register over them, started at 0xFFFFFFFF and not yet inverted.
uint32_t ConvertFrame(const SampleLayout& layout, const int32_t* x, const int32_t* y, int n,
                      uint8_t* destination);

// The check a frame stores for a CRC register: inverted, and from version
// 3821 on shifted right by one.
uint32_t CrcCheck(uint32_t reg, int version);

// The frame sum: for stereo the sum of |b| + |b + Y| with b = X - Y / 2, for
// mono the sum of |X|, all in wrapping 32-bit arithmetic.
uint32_t FrameSum(const int32_t* x, const int32_t* y, int n, int channels);

}  // namespace older_output

}  // namespace zem
