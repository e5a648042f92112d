// The adapt value a filter enters for each new sample, shared by the filter
// and the kernels that run a whole stretch of samples at once.
#pragma once

#include "tessarine/codec/decode/wrapping_math.h"

#include <cstdint>

// Before the scaled values: 4 against the sample's sign, 0 for 0. Scaled: 32,
// 16 or 8 by the sample's size against the running average (which it moves),
// against the sample's sign (a sample of 0 counts as positive, which matters
// only for the larger figures, reachable once the average has wrapped).
inline int16_t NextAdaptValue(int32_t output, int32_t& average, bool scaled) {
    if (!scaled)
        return output == 0 ? 0 : (output < 0 ? 4 : -4);
    const int32_t magnitude = WrapAbs(output);
    // Masks rather than selects: the thresholds fall either way at random,
    // and compilers turn plain selects here into branches.
    uint32_t figure = static_cast<uint32_t>(magnitude > 0) << 3;
    const uint32_t past16 = 0u - static_cast<uint32_t>(magnitude > WrapMul(average, 4) / 3);
    figure ^= (figure ^ 16u) & past16;
    const uint32_t past32 = 0u - static_cast<uint32_t>(magnitude > WrapMul(average, 3));
    figure ^= (figure ^ 32u) & past32;
    average = WrapAdd(average, WrapSub(magnitude, average) / 16);
    const uint32_t positive = 0u - static_cast<uint32_t>(output >= 0);  // negated for these
    return static_cast<int16_t>((figure ^ positive) - positive);
}

// The lanes of a 16-value adapt window (oldest first, the new value last)
// that are halved after each step: one, two and eight back for the scaled
// values, four and eight back before.
inline uint32_t DecayLanes(bool scaled) { return scaled ? (1u << 14) | (1u << 13) | (1u << 7) : (1u << 11) | (1u << 7); }

// The coefficient update direction for a residual: the adapt values are added
// when the residual is negative and subtracted when it is positive.
inline int AdaptDirection(int32_t residual) { return static_cast<int>(residual < 0) - static_cast<int>(residual > 0); }
