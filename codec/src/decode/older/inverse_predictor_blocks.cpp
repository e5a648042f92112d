// SPDX-License-Identifier: BSD-3-Clause
#include "decode/older/inverse_predictor.h"
#include "decode/older/older_steps.h"

namespace zem {

namespace inverse_blocks {

using namespace older_steps;

namespace {

// Copies what a filter leaves alone; false when nothing else is to be done.
bool CopyHead(const int32_t* in, int32_t* out, int n, int offset, int start) {
    if (offset <= 0 || start >= n) {
        CopyValues(in, out, n);
        return false;
    }
    CopyValues(in, out, start);
    return true;
}

}  // namespace

void OffsetShiftFilter(const int32_t* in, int32_t* out, int n, int offset, int sign, int start) {
    if (!CopyHead(in, out, n, offset, start))
        return;
    for (int i = start; i < n; ++i)
        out[i] = WrapAdd(in[i], WrapMul(sign, out[i - offset] >> 3));
}

void OffsetAdaptFilter(const int32_t* in, int32_t* out, int n, int offset, int sign, int start) {
    if (!CopyHead(in, out, n, offset, start))
        return;
    int32_t m = 512;
    for (int i = start; i < n; ++i) {
        const int32_t back = out[i - offset];
        out[i] = WrapAdd(in[i], WrapMul(sign, WrapMulShift(m, back, 12)));
        const bool disagree = (in[i] ^ back) <= 0;
        // The subtracting pass grows its weight on disagreement, the adding one shrinks it.
        m = WrapAdd(m, (disagree == (sign < 0)) ? 8 : -8);
    }
}

void TwoTapFilter(const int32_t* in, int32_t* out, int n, int a, int b, int start) {
    // Both taps are needed: a zero offset would read the value being written.
    if (!CopyHead(in, out, n, a == 0 || b == 0 ? 0 : 1, start))
        return;
    int32_t m1 = 64, m2 = 64;
    for (int i = start; i < n; ++i) {
        const int32_t backA = out[i - a], backB = out[i - b];
        out[i] = WrapSub(WrapAdd(in[i], WrapMulShift(m1, backA, 9)), WrapMulShift(backB, m2, 9));
        m1 = WrapAdd(m1, XorStep(backA, in[i]));
        m2 = WrapSub(m2, XorStep(in[i], backB));
    }
}

void StepFilter(const int32_t* in, int32_t* out, int n, int offset, int step) {
    if (!CopyHead(in, out, n, offset, offset))
        return;
    int32_t m = 0;
    for (int i = offset; i < n; ++i) {
        const int32_t back = out[i - offset];
        out[i] = WrapAdd(in[i], WrapMulShift(m, back, 12));
        m = WrapAdd(m, WrapMul(XorStep(in[i], back), step));
    }
}

}  // namespace inverse_blocks

}  // namespace zem
