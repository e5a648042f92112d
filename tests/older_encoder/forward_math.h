// SPDX-License-Identifier: BSD-3-Clause
// Arithmetic of the forward filters: the codec's 32-bit wrapping helpers
// (model/wrapping_math.h) and the sign rules the filters adapt their weights by.
#pragma once

#include "model/wrapping_math.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace older_encoder::forward_math {

using namespace zem;

// The oldest members' rule: an incoming value above 0 steps the weight up when
// the prediction is above 0, one below 0 when the prediction is 0 or below;
// otherwise down. An incoming 0 leaves the weight.
inline int32_t AgreementStep(int32_t incoming, int32_t prediction, int32_t step) {
    if (incoming == 0)
        return 0;
    const bool agree = incoming > 0 ? prediction > 0 : prediction <= 0;
    return agree ? step : -step;
}

// -step when a xor b is 0 or below (taken as a signed value), else +step.
inline int32_t XorStep(int32_t a, int32_t b, int32_t step) { return (a ^ b) <= 0 ? -step : step; }

// +1 for 0 and above, -1 below.
inline int32_t SignOf(int32_t x) { return x < 0 ? -1 : 1; }

// Whether x counts as positive, 0 counting as `zeroPositive` says.
inline bool Positive(int32_t x, bool zeroPositive) { return x > 0 || (x == 0 && zeroPositive); }

// The values whose running sums are sums[0..count).
inline void Differences(const std::vector<int32_t>& sums, std::vector<int32_t>& values, int count) {
    for (int i = 0; i < count; ++i)
        values[i] = i == 0 ? sums[0] : WrapSub(sums[i], sums[i - 1]);
}

// The value a leaky integrator out[i] = ((out[i - 1] * 31) >> 5) + x was fed.
inline int32_t Unleak(const std::vector<int32_t>& out, int i) {
    return WrapSub(out[i], WrapMulShift(out[i - 1], 31, 5));
}

}  // namespace older_encoder::forward_math
