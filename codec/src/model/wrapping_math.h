// SPDX-License-Identifier: BSD-3-Clause
// Signal arithmetic of the codec, in both directions and for every stream
// version: 32-bit two's complement with wrap-around. Sums and products go
// through unsigned types so that overflow is defined; right shifts of signed
// values are arithmetic.
#pragma once

#include <cstdint>

namespace zem {

inline int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

inline int32_t WrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

inline int32_t WrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// (a * b) >> bits, the product wrapping to 32 bits first.
inline int32_t WrapMulShift(int32_t a, int32_t b, int bits) { return WrapMul(a, b) >> bits; }

// |v|, where the most negative value stays itself as it would in a register.
// Without a branch: the sign of audio is as good as random.
inline int32_t WrapAbs(int32_t v) {
    const uint32_t negative = 0u - (static_cast<uint32_t>(v) >> 31);  // all ones below 0
    return static_cast<int32_t>((static_cast<uint32_t>(v) ^ negative) - negative);
}

// The value as stored in a 16-bit history: clipped to -32768..32767.
inline int16_t SaturateInt16(int32_t v) {
    if (v > INT16_MAX)
        return INT16_MAX;
    if (v < INT16_MIN)
        return INT16_MIN;
    return static_cast<int16_t>(v);
}

// (v + 2^(shift - 1)) >> shift with a wrapping sum; shift is 1..31.
inline int32_t RoundingShift(int32_t v, int32_t shift) {
    return WrapAdd(v, static_cast<int32_t>(1u << (shift - 1))) >> shift;
}

// The fading memory of both predictors' de-emphasis: (last * 31) >> 5.
inline int32_t DeemphasisTerm(int32_t last) { return WrapMul(last, 31) >> 5; }

}  // namespace zem
