// SPDX-License-Identifier: BSD-3-Clause
// Members of the oldest streams (below 3320) and the level-1000 integrator.
#include "decode/older/inverse_predictor.h"
#include "decode/older/older_steps.h"

namespace zem {

namespace inverse_members {

using namespace older_steps;

namespace {

constexpr int kHead = 8;  // values copied ahead of the adaptive stages

// Stage A of Cascade300: a second-order extrapolation with weight 300.
void Cascade300StageA(const int32_t* in, int32_t* out, int n) {
    int32_t w = 300;
    for (int i = kHead; i < n; ++i) {
        const int32_t a = WrapAdd(WrapMul(3, WrapSub(out[i - 1], out[i - 2])), out[i - 3]);
        out[i] = WrapAdd(in[i], WrapMulShift(w, a, 12));
        w = WrapAdd(w, AgreementStep(in[i], a, 4));
    }
}

// Stage B, written back into the input: a first-order extrapolation.
void Cascade300StageB(int32_t* in, const int32_t* out, int n) {
    int32_t w = 3000;
    for (int i = kHead; i < n; ++i) {
        const int32_t d = WrapSub(WrapMul(2, in[i - 1]), in[i - 2]);
        in[i] = WrapAdd(out[i], WrapMulShift(w, d, 12));
        w = WrapAdd(w, AgreementStep(out[i], d, 12));
    }
}

// Stage C: a leaky integrator whose leak adapts.
void Cascade300StageC(const int32_t* in, int32_t* out, int n) {
    RunningSums(in, out, kHead);
    int32_t w = 3900;
    for (int i = kHead; i < n; ++i) {
        out[i] = WrapAdd(in[i], WrapMulShift(w, out[i - 1], 12));
        w = WrapAdd(w, AgreementStep(in[i], out[i - 1], 1));
    }
}

void Poly3000Stage1(const int32_t* in, int32_t* out, int n) {
    int32_t m = 0;
    for (int i = kHead; i < n; ++i) {
        int32_t p = WrapSub(WrapMul(5, out[i - 1]), WrapMul(10, out[i - 2]));
        p = WrapAdd(p, WrapSub(WrapMul(12, out[i - 3]), WrapMul(7, out[i - 4])));
        p = WrapAdd(p, out[i - 5]);
        out[i] = WrapAdd(in[i], WrapMulShift(p, m, 12));
        m = WrapAdd(m, AgreementStep(in[i], p, 1));
    }
}

void Poly3000Stage2(int32_t* in, const int32_t* out, int n) {
    int32_t m = 0;
    for (int i = kHead; i < n; ++i) {
        const int32_t p =
            WrapSub(WrapSub(WrapMul(4, WrapAdd(in[i - 1], in[i - 3])), WrapMul(6, in[i - 2])), in[i - 4]);
        in[i] = WrapAdd(out[i], WrapMulShift(p, m, 12));
        m = WrapAdd(m, AgreementStep(out[i], p, 2));
    }
}

}  // namespace

void FirstOrder4000(int32_t* in, int32_t* out, int n) {
    if (n < 32)
        return CopyValues(in, out, n);
    RunningSums(in, out, kHead);
    int32_t w = 4000;
    for (int i = kHead; i < n; ++i) {
        const int32_t a = WrapSub(WrapMul(2, out[i - 1]), out[i - 2]);
        out[i] = WrapAdd(in[i], WrapMulShift(w, a, 12));
        w = WrapAdd(w, AgreementStep(in[i], a, 4));
    }
}

void Integrator375(int32_t* x, int n) {
    if (n < 3)
        return;
    int32_t older = x[0], last = x[1], sum = x[1];
    int32_t w = 375;
    for (int i = 2; i < n; ++i) {
        const int32_t prediction = WrapSub(WrapMul(2, last), older);
        const int32_t g = WrapAdd(x[i], WrapMulShift(w, prediction, 9));
        w = WrapAdd(w, XorStep(x[i], prediction));
        sum = WrapAdd(sum, g);
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

}  // namespace zem
