// Members of the oldest streams (below 3320) and the level-1000 integrator.
#include "decode/older/inverse_predictor.h"
#include "decode/older/older_math.h"

namespace inverse_members {

using namespace older_math;

namespace {

constexpr int kHead = 8;  // values copied ahead of the adaptive stages

// Stage A of Cascade300: a second-order extrapolation with weight 300.
void Cascade300StageA(const int32_t* in, int32_t* out, int n) {
    int32_t w = 300;
    for (int i = kHead; i < n; ++i) {
        const int32_t a = Add(Mul(3, Sub(out[i - 1], out[i - 2])), out[i - 3]);
        out[i] = Add(in[i], MulShift(w, a, 12));
        w = Add(w, AgreementStep(in[i], a, 4));
    }
}

// Stage B, written back into the input: a first-order extrapolation.
void Cascade300StageB(int32_t* in, const int32_t* out, int n) {
    int32_t w = 3000;
    for (int i = kHead; i < n; ++i) {
        const int32_t d = Sub(Mul(2, in[i - 1]), in[i - 2]);
        in[i] = Add(out[i], MulShift(w, d, 12));
        w = Add(w, AgreementStep(out[i], d, 12));
    }
}

// Stage C: a leaky integrator whose leak adapts.
void Cascade300StageC(const int32_t* in, int32_t* out, int n) {
    RunningSums(in, out, kHead);
    int32_t w = 3900;
    for (int i = kHead; i < n; ++i) {
        out[i] = Add(in[i], MulShift(w, out[i - 1], 12));
        w = Add(w, AgreementStep(in[i], out[i - 1], 1));
    }
}

void Poly3000Stage1(const int32_t* in, int32_t* out, int n) {
    int32_t m = 0;
    for (int i = kHead; i < n; ++i) {
        int32_t p = Sub(Mul(5, out[i - 1]), Mul(10, out[i - 2]));
        p = Add(p, Sub(Mul(12, out[i - 3]), Mul(7, out[i - 4])));
        p = Add(p, out[i - 5]);
        out[i] = Add(in[i], MulShift(p, m, 12));
        m = Add(m, AgreementStep(in[i], p, 1));
    }
}

void Poly3000Stage2(int32_t* in, const int32_t* out, int n) {
    int32_t m = 0;
    for (int i = kHead; i < n; ++i) {
        const int32_t p = Sub(Sub(Mul(4, Add(in[i - 1], in[i - 3])), Mul(6, in[i - 2])), in[i - 4]);
        in[i] = Add(out[i], MulShift(p, m, 12));
        m = Add(m, AgreementStep(out[i], p, 2));
    }
}

}  // namespace

void FirstOrder4000(int32_t* in, int32_t* out, int n) {
    if (n < 32)
        return CopyValues(in, out, n);
    RunningSums(in, out, kHead);
    int32_t w = 4000;
    for (int i = kHead; i < n; ++i) {
        const int32_t a = Sub(Mul(2, out[i - 1]), out[i - 2]);
        out[i] = Add(in[i], MulShift(w, a, 12));
        w = Add(w, AgreementStep(in[i], a, 4));
    }
}

void Integrator375(int32_t* x, int n) {
    if (n < 3)
        return;
    int32_t older = x[0], last = x[1], sum = x[1];
    int32_t w = 375;
    for (int i = 2; i < n; ++i) {
        const int32_t prediction = Sub(Mul(2, last), older);
        const int32_t g = Add(x[i], MulShift(w, prediction, 9));
        w = Add(w, XorStep(x[i], prediction));
        sum = Add(sum, g);
        x[i] = sum;
        older = last;
        last = g;
    }
}

void Cascade300(int32_t* in, int32_t* out, int n) {
    if (n < 32)
        return CopyValues(in, out, n);
    CopyValues(in, out, kHead);
    Cascade300StageA(in, out, n);
    CopyValues(out, in, kHead);
    Cascade300StageB(in, out, n);
    Cascade300StageC(in, out, n);
}

void Poly3000(int32_t* in, int32_t* out, int n) {
    if (n < 32)
        return CopyValues(in, out, n);
    CopyValues(in, out, kHead);
    Poly3000Stage1(in, out, n);
    CopyValues(out, in, kHead);
    Poly3000Stage2(in, out, n);
    Cascade300(in, out, n);
}

}  // namespace inverse_members
