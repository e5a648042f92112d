// SPDX-License-Identifier: BSD-3-Clause
// Members of streams 3320 to 3799 at level 2000 and 3000, and the level-2000
// member from 3800 on.
#include "decode/older/inverse_predictor.h"
#include "decode/older/older_steps.h"

namespace zem {

namespace inverse_members {

using namespace older_steps;

namespace {

// Two adaptive stages written back into the input from element 5 on, and a
// third into the output.
void Cascade370Stages(int32_t* in, int32_t* out, int n) {
    int32_t c = in[4];
    int32_t d = WrapSub(WrapAdd(WrapAdd(WrapMul(8, WrapSub(in[2], in[3])), in[0]), in[4]), in[1]);
    int32_t a = WrapSub(WrapAdd(in[2], WrapMul(3, in[4])), WrapMul(3, in[3]));
    int32_t f = 0, g = 64, e = 28;
    for (int i = 5; i < n; ++i) {
        const int32_t h = in[i];
        const int32_t l = WrapAdd(h, WrapMulShift(c, f, 8));
        const int32_t y = WrapAdd(l, WrapMulShift(d, g, 11));
        in[i] = y;
        out[i] = WrapAdd(y, WrapMulShift(e, a, 9));
        e = WrapAdd(e, XorStep(a, y));
        a = WrapAdd(WrapMul(3, WrapSub(out[i], out[i - 1])), out[i - 2]);
        f = WrapAdd(f, XorStep(c, h));
        c = l;
        g = WrapAdd(g, XorStep(d, l));
        d = WrapAdd(WrapSub(WrapAdd(WrapMul(8, WrapSub(in[i - 2], in[i - 1])), in[i - 4]), in[i - 3]), y);
    }
}

// The final integration of Cascade370, in place on the output.
void Cascade370Integrate(const int32_t* in, int32_t* out, int n) {
    for (int j = 1; j < 5; ++j)
        out[j] = WrapAdd(out[j - 1], in[j]);
    int32_t h = out[4], q = in[4], t = WrapSub(WrapMul(2, in[4]), in[3]);
    int32_t o = 370, u = 3900;
    for (int i = 5; i < n; ++i) {
        const int32_t v = out[i];
        const int32_t w = WrapAdd(v, WrapMulShift(o, t, 9));
        out[i] = WrapAdd(w, WrapMulShift(h, u, 12));
        o = WrapAdd(o, XorStep(t, v));
        t = WrapSub(WrapMul(2, w), q);
        q = w;
        u = WrapAdd(u, XorStep(h, w));
        h = out[i];
    }
}

int32_t SignOf(int32_t value, int32_t magnitude) { return value < 0 ? -magnitude : magnitude; }

}  // namespace

void Cascade370(int32_t* in, int32_t* out, int n) {
    if (n <= 7)
        return CopyValues(in, out, n);
    CopyValues(in, out, 5);
    Cascade370Stages(in, out, n);
    Cascade370Integrate(in, out, n);
}

void Cascade740(int32_t* in, int32_t* out, int n) {
    if (n < 8)
        return CopyValues(in, out, n);
    RunningSums(in, out, 3);
    int32_t s = WrapAdd(WrapAdd(in[0], in[1]), WrapAdd(in[2], in[3]));
    int32_t d = in[3], e = in[2], c = in[3];
    int32_t E = WrapMul(2, WrapSub(in[3], in[2]));
    int32_t G = WrapAdd(in[3], WrapMul(8, WrapSub(in[1], in[2])));
    int32_t H = WrapSub(WrapMul(2, in[3]), in[2]);
    int32_t o = 64, r = 115, t = 64, l = 740, m = 0;
    for (int i = 4; i < n; ++i) {
        out[i - 1] = s;
        const int32_t x = in[i];
        const int32_t direction = x > 0 ? 1 : (x < 0 ? -1 : 0);
        const int32_t newO = WrapAdd(o, direction * SignOf(G, 1));
        const int32_t newR = WrapAdd(r, direction * SignOf(E, 4));
        const int32_t newT = WrapAdd(t, direction * SignOf(d, 4));
        const int32_t u = WrapAdd(x, WrapAdd(WrapAdd(WrapMul(E, r), WrapMul(d, t)), WrapMul(G, o)) >> 11);
        E = WrapMul(2, WrapSub(u, d));
        const int32_t B = WrapAdd(u, WrapSub(WrapMul(H, l), WrapMul(m, c)) >> 10);
        G = WrapAdd(u, WrapMul(8, WrapSub(e, d)));
        if (u > 0) {
            l = WrapAdd(l, SignOf(H, 2));
            m = WrapAdd(m, c < 0 ? 1 : -1);
        } else if (u < 0) {
            l = WrapSub(l, SignOf(H, 2));
            m = WrapAdd(m, c < 0 ? -1 : 1);
        }
        H = WrapSub(WrapMul(2, B), c);
        c = B;
        o = newO;
        r = newR;
        t = newT;
        e = d;
        d = u;
        s = WrapAdd(WrapMulShift(s, 31, 5), B);
    }
    out[n - 1] = s;
}

void Step3320(int32_t* in, int32_t* out, int n) {
    if (n <= 7)
        return CopyValues(in, out, n);
    using inverse_blocks::StepFilter;
    StepFilter(in, out, n, 2, 12);
    StepFilter(out, in, n, 3, 12);
    StepFilter(in, out, n, 4, 12);
    StepFilter(out, in, n, 5, 12);
    StepFilter(in, out, n, 6, 12);
    StepFilter(out, in, n, 7, 12);
    Cascade370(in, out, n);
}

}  // namespace inverse_members

}  // namespace zem
