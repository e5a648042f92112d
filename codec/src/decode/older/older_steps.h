// SPDX-License-Identifier: BSD-3-Clause
// Small steps the older streams' reconstruction filters share: the sign rules
// their weights adapt by, copies and running sums. Their arithmetic is the
// wrap-around of model/wrapping_math.h.
#pragma once

#include "model/wrapping_math.h"

#include <cstdint>

namespace zem {

namespace older_steps {

// The step of a sign-adaptive weight: +step when the incoming value and the
// prediction agree (incoming > 0 with prediction > 0, incoming < 0 with
// prediction <= 0), -step when they disagree, 0 when the incoming value is 0.
inline int32_t AgreementStep(int32_t incoming, int32_t prediction, int32_t step) {
    if (incoming > 0)
        return prediction > 0 ? step : -step;
    if (incoming < 0)
        return prediction <= 0 ? step : -step;
    return 0;
}

// -1 when the exclusive-or of a and b is <= 0 (signs differ, or either is
// such that the result is zero), otherwise +1.
inline int32_t XorStep(int32_t a, int32_t b) { return (a ^ b) <= 0 ? -1 : 1; }

// Copies count values; the two arrays may be the same.
inline void CopyValues(const int32_t* in, int32_t* out, int count) {
    if (in != out)
        for (int i = 0; i < count; ++i)
            out[i] = in[i];
}

// out[j] = in[0] + ... + in[j] for j < count.
inline void RunningSums(const int32_t* in, int32_t* out, int count) {
    int32_t sum = 0;
    for (int i = 0; i < count; ++i) {
        sum = WrapAdd(sum, in[i]);
        out[i] = sum;
    }
}

}  // namespace older_steps

}  // namespace zem
