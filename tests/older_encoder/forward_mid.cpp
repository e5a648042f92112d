// SPDX-License-Identifier: BSD-3-Clause
// The members of streams 3320 to 3799 at levels 2000 and 3000, and the
// level-2000 member from 3800 on, in the encoding direction.
#include "tests/older_encoder/forward_math.h"
#include "tests/older_encoder/forward_predictor.h"

namespace older_encoder::forward_members {

using namespace forward_math;

namespace {

// Cascade370 ends in an integrator with two adapting weights; this returns
// what it was fed: the first five residuals as they are, then the output of
// the stages before it.
Values UndoCascade370Integration(const Values& samples) {
    const size_t n = samples.size();
    Values fed(n);
    Differences(samples, fed, 5);
    int32_t h = samples[4], q = fed[4], t = WrapSub(WrapMul(2, fed[4]), fed[3]);
    int32_t o = 370, u = 3900;
    for (size_t i = 5; i < n; ++i) {
        const int32_t w = WrapSub(samples[i], WrapMulShift(h, u, 12));
        const int32_t v = WrapSub(w, WrapMulShift(o, t, 9));
        fed[i] = v;
        o = WrapAdd(o, XorStep(t, v, 1));
        t = WrapSub(WrapMul(2, w), q);
        q = w;
        u = WrapAdd(u, XorStep(h, w, 1));
        h = samples[i];
    }
    return fed;
}

// The three adaptive stages of Cascade370 ahead of the integrator. `stage`
// holds what the decoder writes back into its input: the residuals up to
// element 4, then the middle stage's values y.
Values UndoCascade370Stages(const Values& z) {
    const size_t n = z.size();
    Values residuals(z), stage(z);
    int32_t c = z[4];
    int32_t d = WrapSub(WrapAdd(WrapAdd(WrapMul(8, WrapSub(z[2], z[3])), z[0]), z[4]), z[1]);
    int32_t a = WrapSub(WrapAdd(z[2], WrapMul(3, z[4])), WrapMul(3, z[3]));
    int32_t f = 0, g = 64, e = 28;
    for (size_t i = 5; i < n; ++i) {
        const int32_t y = WrapSub(z[i], WrapMulShift(e, a, 9));
        const int32_t l = WrapSub(y, WrapMulShift(d, g, 11));
        const int32_t h = WrapSub(l, WrapMulShift(c, f, 8));
        residuals[i] = h;
        stage[i] = y;
        e = WrapAdd(e, XorStep(a, y, 1));
        a = WrapAdd(WrapMul(3, WrapSub(z[i], z[i - 1])), z[i - 2]);
        f = WrapAdd(f, XorStep(c, h, 1));
        c = l;
        g = WrapAdd(g, XorStep(d, l, 1));
        d = WrapAdd(WrapSub(WrapAdd(WrapMul(8, WrapSub(stage[i - 2], stage[i - 1])), stage[i - 4]), stage[i - 3]),
                    y);
    }
    return residuals;
}

// The weights of Cascade740's first stage step on the sign of the incoming value.
struct Cascade740Weights {
    int32_t o = 64, r = 115, t = 64;  // on G, E and the last stage value

    void Step(int32_t x, int32_t G, int32_t E, int32_t d) {
        if (x == 0)
            return;
        const int32_t direction = x > 0 ? 1 : -1;
        o = WrapAdd(o, direction * SignOf(G));
        r = WrapAdd(r, direction * 4 * SignOf(E));
        t = WrapAdd(t, direction * 4 * SignOf(d));
    }
};

}  // namespace

Values Cascade370(const Values& samples) {
    if (samples.size() <= 7)
        return samples;
    return UndoCascade370Stages(UndoCascade370Integration(samples));
}

Values Cascade740(const Values& samples) {
    const size_t n = samples.size();
    if (n < 8)
        return samples;
    Values residuals(n);
    Differences(samples, residuals, 4);
    const int32_t* x = residuals.data();
    int32_t d = x[3], e = x[2], c = x[3];
    int32_t E = WrapMul(2, WrapSub(x[3], x[2]));
    int32_t G = WrapAdd(x[3], WrapMul(8, WrapSub(x[1], x[2])));
    int32_t H = WrapSub(WrapMul(2, x[3]), x[2]);
    int32_t l = 740, m = 0;
    Cascade740Weights weights;
    for (size_t i = 4; i < n; ++i) {
        const int32_t B = Unleak(samples, static_cast<int>(i));
        const int32_t u = WrapSub(B, WrapSub(WrapMul(H, l), WrapMul(m, c)) >> 10);
        residuals[i] = WrapSub(
            u, WrapAdd(WrapAdd(WrapMul(E, weights.r), WrapMul(d, weights.t)), WrapMul(G, weights.o)) >> 11);
        weights.Step(residuals[i], G, E, d);
        E = WrapMul(2, WrapSub(u, d));
        G = WrapAdd(u, WrapMul(8, WrapSub(e, d)));
        if (u != 0) {
            const int32_t direction = u > 0 ? 1 : -1;
            l = WrapAdd(l, direction * 2 * SignOf(H));
            m = WrapSub(m, direction * SignOf(c));
        }
        H = WrapSub(WrapMul(2, B), c);
        c = B;
        e = d;
        d = u;
    }
    return residuals;
}

// Six step filters with offsets 2 to 7 ahead of Cascade370: undone last first.
Values Step3320(const Values& samples) {
    if (samples.size() <= 7)
        return samples;
    Values values = Cascade370(samples);
    for (int offset = 7; offset >= 2; --offset)
        values = forward_blocks::StepInput(values, offset, 12);
    return values;
}

}  // namespace older_encoder::forward_members
