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
        in[i] = Sub(out[i], MulShift(w, out[i - 1], 12));
        w = Add(w, AgreementStep(in[i], out[i - 1], 1));
    }
    return in;
}

// Cascade300's middle stage (a first-order extrapolation of its own output).
Values UndoCascade300B(const Values& out) {
    Values in(out);
    int32_t w = 3000;
    for (size_t i = kHead; i < out.size(); ++i) {
        const int32_t d = Sub(Mul(2, out[i - 1]), out[i - 2]);
        in[i] = Sub(out[i], MulShift(w, d, 12));
        w = Add(w, AgreementStep(in[i], d, 12));
    }
    return in;
}

Values UndoCascade300A(const Values& out) {
    Values in(out);
    int32_t w = 300;
    for (size_t i = kHead; i < out.size(); ++i) {
        const int32_t a = Add(Mul(3, Sub(out[i - 1], out[i - 2])), out[i - 3]);
        in[i] = Sub(out[i], MulShift(w, a, 12));
        w = Add(w, AgreementStep(in[i], a, 4));
    }
    return in;
}

// Poly3000's second stage: a third-order polynomial of its own output.
Values UndoPoly3000Stage2(const Values& out) {
    Values in(out);
    int32_t m = 0;
    for (size_t i = kHead; i < out.size(); ++i) {
        const int32_t p = Sub(Sub(Mul(4, Add(out[i - 1], out[i - 3])), Mul(6, out[i - 2])), out[i - 4]);
        in[i] = Sub(out[i], MulShift(p, m, 12));
        m = Add(m, AgreementStep(in[i], p, 2));
    }
    return in;
}

// Poly3000's first stage: a fourth-order polynomial of its own output.
Values UndoPoly3000Stage1(const Values& out) {
    Values in(out);
    int32_t m = 0;
    for (size_t i = kHead; i < out.size(); ++i) {
        int32_t p = Sub(Mul(5, out[i - 1]), Mul(10, out[i - 2]));
        p = Add(p, Sub(Mul(12, out[i - 3]), Mul(7, out[i - 4])));
        p = Add(p, out[i - 5]);
        in[i] = Sub(out[i], MulShift(p, m, 12));
        m = Add(m, AgreementStep(in[i], p, 1));
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
        const int32_t a = Sub(Mul(2, samples[i - 1]), samples[i - 2]);
        residuals[i] = Sub(samples[i], MulShift(w, a, 12));
        w = Add(w, AgreementStep(residuals[i], a, 4));
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
        const int32_t g = Sub(samples[i], samples[i - 1]);
        const int32_t prediction = Sub(Mul(2, last), older);
        residuals[i] = Sub(g, MulShift(w, prediction, 9));
        w = Add(w, XorStep(residuals[i], prediction, 1));
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
