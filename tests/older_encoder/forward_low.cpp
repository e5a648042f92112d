// SPDX-License-Identifier: BSD-3-Clause
// The members of the oldest streams (below 3320) and the level-1000
// integrator, in the encoding direction.
#include "tests/older_encoder/forward_math.h"
#include "tests/older_encoder/forward_predictor.h"

namespace older_encoder::forward_members {

using namespace forward_math;

namespace {

constexpr int kHead = 8;  // values the adaptive stages leave alone

// Cascade300's last stage, a leaky integrator with an adapting leak, undone.
Values UndoCascade300C(const Values& out) {
    Values in(out.size());
    Differences(out, in, kHead);
    int32_t w = 3900;
    for (size_t i = kHead; i < out.size(); ++i) {
        in[i] = WrapSub(out[i], WrapMulShift(w, out[i - 1], 12));
        w = WrapAdd(w, AgreementStep(in[i], out[i - 1], 1));
    }
    return in;
}

// Cascade300's middle stage (a first-order extrapolation of its own output).
Values UndoCascade300B(const Values& out) {
    Values in(out);
    int32_t w = 3000;
    for (size_t i = kHead; i < out.size(); ++i) {
        const int32_t d = WrapSub(WrapMul(2, out[i - 1]), out[i - 2]);
        in[i] = WrapSub(out[i], WrapMulShift(w, d, 12));
        w = WrapAdd(w, AgreementStep(in[i], d, 12));
    }
    return in;
}

Values UndoCascade300A(const Values& out) {
    Values in(out);
    int32_t w = 300;
    for (size_t i = kHead; i < out.size(); ++i) {
        const int32_t a = WrapAdd(WrapMul(3, WrapSub(out[i - 1], out[i - 2])), out[i - 3]);
        in[i] = WrapSub(out[i], WrapMulShift(w, a, 12));
        w = WrapAdd(w, AgreementStep(in[i], a, 4));
    }
    return in;
}

// Poly3000's second stage: a third-order polynomial of its own output.
Values UndoPoly3000Stage2(const Values& out) {
    Values in(out);
    int32_t m = 0;
    for (size_t i = kHead; i < out.size(); ++i) {
        const int32_t p =
            WrapSub(WrapSub(WrapMul(4, WrapAdd(out[i - 1], out[i - 3])), WrapMul(6, out[i - 2])), out[i - 4]);
        in[i] = WrapSub(out[i], WrapMulShift(p, m, 12));
        m = WrapAdd(m, AgreementStep(in[i], p, 2));
    }
    return in;
}

// Poly3000's first stage: a fourth-order polynomial of its own output.
Values UndoPoly3000Stage1(const Values& out) {
    Values in(out);
    int32_t m = 0;
    for (size_t i = kHead; i < out.size(); ++i) {
        int32_t p = WrapSub(WrapMul(5, out[i - 1]), WrapMul(10, out[i - 2]));
        p = WrapAdd(p, WrapSub(WrapMul(12, out[i - 3]), WrapMul(7, out[i - 4])));
        p = WrapAdd(p, out[i - 5]);
        in[i] = WrapSub(out[i], WrapMulShift(p, m, 12));
        m = WrapAdd(m, AgreementStep(in[i], p, 1));
    }
    return in;
}

}  // namespace

Values FirstOrder4000(const Values& samples) {
    if (samples.size() < 32)
        return samples;
    Values residuals(samples.size());
    Differences(samples, residuals, kHead);
    int32_t w = 4000;
    for (size_t i = kHead; i < samples.size(); ++i) {
        const int32_t a = WrapSub(WrapMul(2, samples[i - 1]), samples[i - 2]);
        residuals[i] = WrapSub(samples[i], WrapMulShift(w, a, 12));
        w = WrapAdd(w, AgreementStep(residuals[i], a, 4));
    }
    return residuals;
}

// The decoder keeps x[0] and x[1] and sums the stage's values g from x[1] on,
// with g[0] and g[1] the first two values themselves.
Values Integrator375(const Values& samples) {
    Values residuals(samples);
    if (samples.size() < 3)
        return residuals;
    int32_t older = samples[0], last = samples[1], w = 375;
    for (size_t i = 2; i < samples.size(); ++i) {
        const int32_t g = WrapSub(samples[i], samples[i - 1]);
        const int32_t prediction = WrapSub(WrapMul(2, last), older);
        residuals[i] = WrapSub(g, WrapMulShift(w, prediction, 9));
        w = WrapAdd(w, XorStep(residuals[i], prediction, 1));
        older = last;
        last = g;
    }
    return residuals;
}

Values Cascade300(const Values& samples) {
    if (samples.size() < 32)
        return samples;
    return UndoCascade300A(UndoCascade300B(UndoCascade300C(samples)));
}

Values Poly3000(const Values& samples) {
    if (samples.size() < 32)
        return samples;
    return UndoPoly3000Stage1(UndoPoly3000Stage2(Cascade300(samples)));
}

}  // namespace older_encoder::forward_members
