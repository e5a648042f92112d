// SPDX-License-Identifier: BSD-3-Clause
// Level-3000 members from 3600 on: a long sign-adaptive stage followed by the
// short stages of the lower levels.
#include "decode/older/inverse_predictor.h"
#include "decode/older/older_steps.h"

namespace zem {

namespace inverse_members {

using namespace older_steps;

namespace {

constexpr int kHigh3600Taps = 13;
constexpr int kHighTaps = 16;  // High3700 and High3800

// +1 for a positive value, -1 for a negative one; zero as given.
bool IsPositive(int32_t value, bool zeroIsPositive) { return value > 0 || (value == 0 && zeroIsPositive); }

// The stage-1 tap signs of High3600, oldest tap first.
int32_t High3600TapSign(int j) { return (j <= 3 || j == 11) ? 1 : -1; }

// Stage 2 of High3700/High3800: three weights on the last two stage-2 values.
struct ShortStage {
    int32_t a1 = 64, a2 = 115, a3 = 64;  // on P, E, G
    int32_t P, E, G, secondLast, last;

    ShortStage(const int32_t* in)
        : P(in[15]),
          E(WrapMul(2, WrapSub(in[15], in[14]))),
          G(WrapAdd(in[15], WrapMul(8, WrapSub(in[13], in[14])))),
          secondLast(in[14]),
          last(in[15]) {}

    int32_t Run(int32_t v, bool zeroIsPositive) {
        const int32_t y = WrapAdd(v, WrapAdd(WrapAdd(WrapMul(P, a1), WrapMul(E, a2)), WrapMul(G, a3)) >> 11);
        if (v != 0) {
            const bool up = v > 0;
            a3 = WrapAdd(a3, IsPositive(G, zeroIsPositive) == up ? 1 : -1);
            a2 = WrapAdd(a2, IsPositive(E, zeroIsPositive) == up ? 4 : -4);
            a1 = WrapAdd(a1, IsPositive(P, zeroIsPositive) == up ? 4 : -4);
        }
        P = y;
        G = WrapAdd(y, WrapMul(8, WrapSub(secondLast, last)));
        E = WrapMul(2, WrapSub(y, last));
        secondLast = last;
        last = y;
        return y;
    }
};

// The shared set-up of High3700 and High3800: the first 16 values copied and
// integrated.
void HighHead(const int32_t* in, int32_t* out) { RunningSums(in, out, kHighTaps); }

void High3600Integrate(const int32_t* in, int32_t* out, int n) {
    for (int j = 1; j < kHigh3600Taps; ++j)
        out[j] = WrapAdd(out[j - 1], in[j]);
    int32_t s = out[12], t = WrapSub(WrapMul(2, in[12]), in[11]), p = in[12], r = 0, a = 370, b = 0;
    for (int i = kHigh3600Taps; i < n; ++i) {
        const int32_t v = out[i];
        const int32_t d = WrapAdd(WrapSub(WrapMulShift(t, a, 9), WrapMulShift(b, r, 10)), v);
        a = WrapAdd(a, (v ^ t) < 0 ? -1 : 1);
        b = WrapAdd(b, (v ^ r) < 0 ? 1 : -1);
        s = WrapAdd(WrapMulShift(s, 31, 5), d);
        out[i] = s;
        t = WrapSub(WrapMul(2, d), p);
        p = d;
        r = d;
    }
}

}  // namespace

void High3600(int32_t* in, int32_t* out, int n) {
    if (n < 16)
        return CopyValues(in, out, n);
    CopyValues(in, out, kHigh3600Taps);
    int32_t history[kHigh3600Taps];  // stage-1 values, oldest first
    int32_t w[kHigh3600Taps] = {};
    CopyValues(in, history, kHigh3600Taps);
    int32_t g1 = 64, g2 = 28, g3 = 16;
    for (int i = kHigh3600Taps; i < n; ++i) {
        const int32_t q = WrapSub(in[i], 1);
        int32_t R = q;
        for (int j = 0; j < kHigh3600Taps; ++j)
            R = WrapAdd(R, WrapMul(High3600TapSign(j), WrapMulShift(history[j], w[j], 8)));
        if (q != 0)
            for (int j = 0; j < kHigh3600Taps; ++j) {
                const bool agree = IsPositive(history[j], j % 2 == 1) == (q > 0);
                w[j] = WrapAdd(w[j], agree ? High3600TapSign(j) : -High3600TapSign(j));
            }
        const int32_t P = in[i - 1];
        const int32_t E = WrapMul(2, WrapSub(in[i - 1], in[i - 2]));
        const int32_t G = WrapAdd(in[i - 1], WrapMul(8, WrapSub(in[i - 3], in[i - 2])));
        const int32_t S =
            WrapAdd(WrapAdd(WrapAdd(R, WrapMulShift(G, g1, 11)), WrapMulShift(E, g2, 9)), WrapMulShift(P, g3, 9));
        if (R != 0) {
            const bool up = R > 0;
            g1 = WrapAdd(g1, (G > 0) == up ? 1 : -1);
            g2 = WrapAdd(g2, (E > 0) == up ? 1 : -1);
            g3 = WrapAdd(g3, (P > 0) == up ? 1 : -1);
        }
        in[i] = out[i] = S;
        for (int j = 0; j + 1 < kHigh3600Taps; ++j)
            history[j] = history[j + 1];
        history[kHigh3600Taps - 1] = R;
    }
    High3600Integrate(in, out, n);
}

void High3700(int32_t* in, int32_t* out, int n) {
    if (n < 20)
        return CopyValues(in, out, n);
    HighHead(in, out);
    int32_t w[kHighTaps + 1] = {};  // w[d] weighs in[i - d]
    ShortStage stage2(in);
    int32_t l = 740, m = 0, H = WrapSub(WrapMul(2, in[15]), in[14]), R = in[15];
    for (int i = kHighTaps; i < n; ++i) {
        const int32_t q = WrapSub(in[i], 1);
        int32_t sum = 0;
        for (int d = 1; d <= kHighTaps; ++d)
            sum = WrapAdd(sum, WrapMul(w[d], in[i - d]));
        if (q != 0)
            for (int d = 1; d <= kHighTaps; ++d) {
                const bool opposite = IsPositive(in[i - d], d % 2 == 0) != (q > 0);
                w[d] = WrapAdd(w[d], opposite ? 1 : -1);
            }
        const int32_t v = WrapSub(q, sum >> 8);
        in[i] = v;
        const int32_t y = stage2.Run(v, false);
        const int32_t z = WrapAdd(WrapSub(WrapMul(H, l), WrapMul(R, m)) >> 10, y);
        l = WrapAdd(l, (H ^ y) < 0 ? -2 : 2);
        m = WrapAdd(m, (R ^ y) < 0 ? 1 : -1);
        H = WrapSub(WrapMul(2, z), R);
        R = z;
        out[i] = WrapAdd(WrapMulShift(out[i - 1], 31, 5), z);
    }
}

void High3800(int32_t* in, int32_t* out, int n) {
    if (n < 20)
        return CopyValues(in, out, n);
    HighHead(in, out);
    int32_t w[kHighTaps + 1] = {};
    ShortStage stage2(in);
    int32_t l = 740, m = 0, H = WrapSub(WrapMul(2, in[15]), in[14]), R = in[15];
    for (int i = kHighTaps; i < n; ++i) {
        const int32_t x = in[i];
        int32_t sum = 0;
        for (int d = 1; d <= kHighTaps; ++d)
            sum = WrapAdd(sum, WrapMul(w[d], in[i - d]));
        if (x != 0)
            for (int d = 1; d <= kHighTaps; ++d) {
                const bool opposite = (in[i - d] < 0) == (x > 0);
                w[d] = WrapAdd(w[d], opposite ? 1 : -1);
            }
        const int32_t v = WrapSub(x, sum >> 9);
        in[i] = v;
        const int32_t y = stage2.Run(v, true);
        const int32_t z = WrapAdd(y, WrapSub(WrapMul(H, l), WrapMul(R, m)) >> 10);
        if (y != 0) {
            const bool up = y > 0;
            l = WrapAdd(l, IsPositive(H, true) == up ? 2 : -2);
            m = WrapAdd(m, IsPositive(R, true) != up ? 1 : -1);
        }
        H = WrapSub(WrapMul(2, z), R);
        R = z;
        out[i] = WrapAdd(WrapMulShift(out[i - 1], 31, 5), z);
    }
}

}  // namespace inverse_members

}  // namespace zem
