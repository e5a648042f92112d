// SPDX-License-Identifier: BSD-3-Clause
#include "tests/older_encoder/forward_math.h"
#include "tests/older_encoder/forward_predictor.h"

namespace older_encoder::forward_blocks {

using namespace forward_math;

namespace {

bool PassesUnchanged(const Values& out, int offset, int start) {
    return offset <= 0 || start >= static_cast<int>(out.size());
}

}  // namespace

Values OffsetShiftInput(const Values& out, int offset, int sign, int start) {
    Values in(out);
    if (PassesUnchanged(out, offset, start))
        return in;
    for (size_t i = start; i < out.size(); ++i)
        in[i] = WrapSub(out[i], WrapMul(sign, out[i - offset] >> 3));
    return in;
}

Values OffsetAdaptInput(const Values& out, int offset, int sign, int start) {
    Values in(out);
    if (PassesUnchanged(out, offset, start))
        return in;
    int32_t m = 512;
    for (size_t i = start; i < out.size(); ++i) {
        const int32_t back = out[i - offset];
        in[i] = WrapSub(out[i], WrapMul(sign, WrapMulShift(m, back, 12)));
        // The subtracting pass grows m when the input and the tap disagree.
        const int32_t step = XorStep(in[i], back, 8);
        m = sign < 0 ? WrapSub(m, step) : WrapAdd(m, step);
    }
    return in;
}

Values TwoTapInput(const Values& out, int a, int b, int start) {
    Values in(out);
    if (PassesUnchanged(out, a == 0 ? 0 : b, start))
        return in;
    int32_t m1 = 64, m2 = 64;
    for (size_t i = start; i < out.size(); ++i) {
        const int32_t backA = out[i - a], backB = out[i - b];
        in[i] = WrapAdd(WrapSub(out[i], WrapMulShift(m1, backA, 9)), WrapMulShift(backB, m2, 9));
        m1 = WrapAdd(m1, XorStep(backA, in[i], 1));
        m2 = WrapSub(m2, XorStep(in[i], backB, 1));
    }
    return in;
}

Values StepInput(const Values& out, int offset, int step) {
    Values in(out);
    if (PassesUnchanged(out, offset, offset))
        return in;
    int32_t m = 0;
    for (size_t i = offset; i < out.size(); ++i) {
        const int32_t back = out[i - offset];
        in[i] = WrapSub(out[i], WrapMulShift(m, back, 12));
        m = WrapAdd(m, XorStep(in[i], back, step));
    }
    return in;
}

}  // namespace older_encoder::forward_blocks
