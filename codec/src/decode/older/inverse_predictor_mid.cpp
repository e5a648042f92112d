// Members of streams 3320 to 3799 at level 2000 and 3000, and the level-2000
// member from 3800 on.
#include "decode/older/inverse_predictor.h"
#include "decode/older/older_math.h"

namespace inverse_members {

using namespace older_math;

namespace {

// Two adaptive stages written back into the input from element 5 on, and a
// third into the output.
void Cascade370Stages(int32_t* in, int32_t* out, int n) {
    int32_t c = in[4];
    int32_t d = Sub(Add(Add(Mul(8, Sub(in[2], in[3])), in[0]), in[4]), in[1]);
    int32_t a = Sub(Add(in[2], Mul(3, in[4])), Mul(3, in[3]));
    int32_t f = 0, g = 64, e = 28;
    for (int i = 5; i < n; ++i) {
        const int32_t h = in[i];
        const int32_t l = Add(h, MulShift(c, f, 8));
        const int32_t y = Add(l, MulShift(d, g, 11));
        in[i] = y;
        out[i] = Add(y, MulShift(e, a, 9));
        e = Add(e, XorStep(a, y));
        a = Add(Mul(3, Sub(out[i], out[i - 1])), out[i - 2]);
        f = Add(f, XorStep(c, h));
        c = l;
        g = Add(g, XorStep(d, l));
        d = Add(Sub(Add(Mul(8, Sub(in[i - 2], in[i - 1])), in[i - 4]), in[i - 3]), y);
    }
}

// The final integration of Cascade370, in place on the output.
void Cascade370Integrate(const int32_t* in, int32_t* out, int n) {
    for (int j = 1; j < 5; ++j)
        out[j] = Add(out[j - 1], in[j]);
    int32_t h = out[4], q = in[4], t = Sub(Mul(2, in[4]), in[3]);
    int32_t o = 370, u = 3900;
    for (int i = 5; i < n; ++i) {
        const int32_t v = out[i];
        const int32_t w = Add(v, MulShift(o, t, 9));
        out[i] = Add(w, MulShift(h, u, 12));
        o = Add(o, XorStep(t, v));
        t = Sub(Mul(2, w), q);
        q = w;
        u = Add(u, XorStep(h, w));
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
    int32_t s = Add(Add(in[0], in[1]), Add(in[2], in[3]));
    int32_t d = in[3], e = in[2], c = in[3];
    int32_t E = Mul(2, Sub(in[3], in[2]));
    int32_t G = Add(in[3], Mul(8, Sub(in[1], in[2])));
    int32_t H = Sub(Mul(2, in[3]), in[2]);
    int32_t o = 64, r = 115, t = 64, l = 740, m = 0;
    for (int i = 4; i < n; ++i) {
        out[i - 1] = s;
        const int32_t x = in[i];
        const int32_t direction = x > 0 ? 1 : (x < 0 ? -1 : 0);
        const int32_t newO = Add(o, direction * SignOf(G, 1));
        const int32_t newR = Add(r, direction * SignOf(E, 4));
        const int32_t newT = Add(t, direction * SignOf(d, 4));
        const int32_t u = Add(x, Sar(Add(Add(Mul(E, r), Mul(d, t)), Mul(G, o)), 11));
        E = Mul(2, Sub(u, d));
        const int32_t B = Add(u, Sar(Sub(Mul(H, l), Mul(m, c)), 10));
        G = Add(u, Mul(8, Sub(e, d)));
        if (u > 0) {
            l = Add(l, SignOf(H, 2));
            m = Add(m, c < 0 ? 1 : -1);
        } else if (u < 0) {
            l = Sub(l, SignOf(H, 2));
            m = Add(m, c < 0 ? -1 : 1);
        }
        H = Sub(Mul(2, B), c);
        c = B;
        o = newO;
        r = newR;
        t = newT;
        e = d;
        d = u;
        s = Add(MulShift(s, 31, 5), B);
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
