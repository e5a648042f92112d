// SPDX-License-Identifier: BSD-3-Clause
#include "decode/older/older_output.h"

#include "coding/frame_crc.h"
#include "decode/older/older_steps.h"

namespace zem {

namespace older_output {

using namespace older_steps;

namespace {

constexpr int kFirstOffsetVersion = 3831;
constexpr int kFirstShiftedCheckVersion = 3821;

uint8_t* PutSample(uint8_t* at, int32_t value, int bytes) {
    // A negative 24-bit sample is written as (v + 2^23) | 2^23: its sign bit
    // is set even when the value lies below the 24-bit range.
    if (bytes == 3 && value < 0)
        value = WrapAdd(value, 1 << 23) | (1 << 23);
    for (int i = 0; i < bytes; ++i)
        *at++ = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    return at;
}

uint32_t Magnitude(int32_t value) { return value < 0 ? 0u - static_cast<uint32_t>(value) : uint32_t(value); }

}  // namespace

int BlockBytes(const SampleLayout& layout) {
    if (layout.channels != 1 && layout.channels != 2)
        return 0;
    const int bytes = layout.bitsPerSample == 8 ? 1 : layout.bitsPerSample == 24 ? 3 : 2;
    return bytes * layout.channels;
}

uint32_t ConvertFrame(const SampleLayout& layout, const int32_t* x, const int32_t* y, int n,
                      uint8_t* destination) {
    const int bytes = layout.channels > 0 ? BlockBytes(layout) / layout.channels : 0;
    if (bytes == 0)
        return frame_crc::kInitial;
    // 8-bit samples are unsigned from 3831 on; older streams wrote them without the offset.
    const int32_t offset = bytes == 1 && layout.version >= kFirstOffsetVersion ? 128 : 0;
    uint8_t* at = destination;
    for (int i = 0; i < n; ++i) {
        if (layout.channels == 2) {
            const int32_t first = WrapAdd(WrapSub(x[i], y[i] / 2), offset);
            at = PutSample(at, first, bytes);
            at = PutSample(at, WrapAdd(first, y[i]), bytes);
        } else {
            at = PutSample(at, WrapAdd(x[i], offset), bytes);
        }
    }
    return frame_crc::Update(frame_crc::kInitial, destination, static_cast<size_t>(at - destination));
}

uint32_t CrcCheck(uint32_t reg, int version) {
    const uint32_t crc = ~reg;
    return version >= kFirstShiftedCheckVersion ? crc >> 1 : crc;
}

uint32_t FrameSum(const int32_t* x, const int32_t* y, int n, int channels) {
    uint32_t sum = 0;
    for (int i = 0; i < n; ++i) {
        if (channels == 2) {
            const int32_t b = WrapSub(x[i], y[i] / 2);
            sum += Magnitude(b) + Magnitude(WrapAdd(b, y[i]));
        } else {
            sum += Magnitude(x[i]);
        }
    }
    return sum;
}

}  // namespace older_output

}  // namespace zem
