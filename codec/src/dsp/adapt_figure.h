// SPDX-License-Identifier: BSD-3-Clause
// The adapt value a filter enters for each new sample, shared by the filter
// and the kernels that run a whole stretch of samples at once.
#pragma once

#include "model/wrapping_math.h"

#include <cstdint>

namespace zem {

// value if above > bound (signed), else otherwise: a conditional move. The
// comparisons here fall either way at random, and compilers turn plain
// selects of this kind into branches.
inline int32_t PickIfAbove(int32_t above, int32_t bound, int32_t value, int32_t otherwise) {
#if defined(__x86_64__) || defined(__i386__)
    asm("cmpl %[bound], %[above]\n\t"
        "cmovgl %[value], %[result]"
        : [result] "+r"(otherwise)
        : [above] "r"(above), [bound] "r"(bound), [value] "r"(value)
        : "cc");
    return otherwise;
#else
    return above > bound ? value : otherwise;
#endif
}

// Before the scaled values: 4 against the sample's sign, 0 for 0. Scaled: 32,
// 16 or 8 by the sample's size against the running average (which it moves),
// against the sample's sign (a sample of 0 counts as positive, which matters
// only for the larger figures, reachable once the average has wrapped).
inline int16_t NextAdaptValue(int32_t output, int32_t& average, bool scaled) {
    if (!scaled)
        return output == 0 ? 0 : (output < 0 ? 4 : -4);
    const int32_t magnitude = WrapAbs(output);
    int32_t figure = PickIfAbove(magnitude, 0, 8, 0);
    figure = PickIfAbove(magnitude, WrapMul(average, 4) / 3, 16, figure);
    figure = PickIfAbove(magnitude, WrapMul(average, 3), 32, figure);
    average = WrapAdd(average, WrapSub(magnitude, average) / 16);
    return static_cast<int16_t>(PickIfAbove(0, output, figure, -figure));
}

// The lanes of a 16-value adapt window (oldest first, the new value last)
// that are halved after each step: one, two and eight back for the scaled
// values, four and eight back before.
inline uint32_t DecayLanes(bool scaled) { return scaled ? (1u << 14) | (1u << 13) | (1u << 7) : (1u << 11) | (1u << 7); }

// The coefficient update direction for a residual: the adapt values are added
// when the residual is negative and subtracted when it is positive.
inline int AdaptDirection(int32_t residual) { return static_cast<int>(residual < 0) - static_cast<int>(residual > 0); }

}  // namespace zem
