// SPDX-License-Identifier: BSD-3-Clause
// The level-3000 members from 3600 on, in the encoding direction: a leaky
// integrator and a short stage are undone first, the long sign-adaptive stage
// last.
#include "tests/older_encoder/forward_math.h"
#include "tests/older_encoder/forward_predictor.h"

namespace older_encoder::forward_members {

using namespace forward_math;

namespace {

constexpr int kHigh3600Head = 13;
constexpr int kHighHead = 16;  // High3700 and High3800; also their tap count

// High3600's integration: two adapting weights and a leak of 31/32. Returns
// the residuals up to element 12 and the stage values from 13 on.
Values UndoHigh3600Integration(const Values& samples) {
    Values fed(samples.size());
    Differences(samples, fed, kHigh3600Head);
    int32_t t = WrapSub(WrapMul(2, fed[12]), fed[11]), p = fed[12], r = 0, a = 370, b = 0;
    for (size_t i = kHigh3600Head; i < samples.size(); ++i) {
        const int32_t d = Unleak(samples, static_cast<int>(i));
        const int32_t v = WrapAdd(WrapSub(d, WrapMulShift(t, a, 9)), WrapMulShift(b, r, 10));
        fed[i] = v;
        a = WrapAdd(a, (v ^ t) < 0 ? -1 : 1);
        b = WrapAdd(b, (v ^ r) < 0 ? 1 : -1);
        t = WrapSub(WrapMul(2, d), p);
        p = d;
        r = d;
    }
    return fed;
}

// The signs of High3600's 13 taps, oldest first.
int32_t TapSign3600(int j) { return j <= 3 || j == 11 ? 1 : -1; }

// High3600's two stages ahead of the integration, undone on the stage values.
Values UndoHigh3600Stages(const Values& stored) {
    Values residuals(stored);
    int32_t history[kHigh3600Head], w[kHigh3600Head] = {};  // oldest first
    for (int j = 0; j < kHigh3600Head; ++j)
        history[j] = stored[j];
    int32_t g1 = 64, g2 = 28, g3 = 16;
    for (size_t i = kHigh3600Head; i < stored.size(); ++i) {
        const int32_t P = stored[i - 1], E = WrapMul(2, WrapSub(stored[i - 1], stored[i - 2]));
        const int32_t G = WrapAdd(stored[i - 1], WrapMul(8, WrapSub(stored[i - 3], stored[i - 2])));
        const int32_t R = WrapSub(WrapSub(WrapSub(stored[i], WrapMulShift(G, g1, 11)), WrapMulShift(E, g2, 9)),
                                  WrapMulShift(P, g3, 9));
        int32_t q = R;
        for (int j = 0; j < kHigh3600Head; ++j)
            q = WrapSub(q, WrapMul(TapSign3600(j), WrapMulShift(history[j], w[j], 8)));
        residuals[i] = WrapAdd(q, 1);
        if (q != 0)
            for (int j = 0; j < kHigh3600Head; ++j)
                w[j] =
                    WrapAdd(w[j], Positive(history[j], j % 2 == 1) == (q > 0) ? TapSign3600(j) : -TapSign3600(j));
        if (R != 0) {
            g1 = WrapAdd(g1, (G > 0) == (R > 0) ? 1 : -1);
            g2 = WrapAdd(g2, (E > 0) == (R > 0) ? 1 : -1);
            g3 = WrapAdd(g3, (P > 0) == (R > 0) ? 1 : -1);
        }
        for (int j = 0; j + 1 < kHigh3600Head; ++j)
            history[j] = history[j + 1];
        history[kHigh3600Head - 1] = R;
    }
    return residuals;
}

// The state High3700 and High3800 share: the last stage-2 values and the
// weights of the two short stages.
struct ShortStages {
    int32_t a1 = 64, a2 = 115, a3 = 64;  // on P, E, G
    int32_t l = 740, m = 0;              // on H, R
    int32_t P, E, G, H, R, secondLast, last;
    bool zeroPositive;

    ShortStages(const Values& head, bool zeroCountsPositive)
        : P(head[15]),
          E(WrapMul(2, WrapSub(head[15], head[14]))),
          G(WrapAdd(head[15], WrapMul(8, WrapSub(head[13], head[14])))),
          H(WrapSub(WrapMul(2, head[15]), head[14])),
          R(head[15]),
          secondLast(head[14]),
          last(head[15]),
          zeroPositive(zeroCountsPositive) {}

    // +step when the term's sign agrees with the value's, -step otherwise.
    int32_t Agree(int32_t term, int32_t value, int32_t step) const {
        return Positive(term, zeroPositive) == (value > 0) ? step : -step;
    }

    // The value stage 2 was fed, given what stage 2 gave (y).
    int32_t UndoStage2(int32_t y) {
        const int32_t v = WrapSub(y, WrapAdd(WrapAdd(WrapMul(P, a1), WrapMul(E, a2)), WrapMul(G, a3)) >> 11);
        if (v != 0) {
            a3 = WrapAdd(a3, Agree(G, v, 1));
            a2 = WrapAdd(a2, Agree(E, v, 4));
            a1 = WrapAdd(a1, Agree(P, v, 4));
        }
        P = y;
        G = WrapAdd(y, WrapMul(8, WrapSub(secondLast, last)));
        E = WrapMul(2, WrapSub(y, last));
        secondLast = last;
        last = y;
        return v;
    }

    // The value stage 3 was fed (y), given what it gave (z).
    int32_t UndoStage3(int32_t z, bool xorRule) {
        const int32_t y = WrapSub(z, WrapSub(WrapMul(H, l), WrapMul(R, m)) >> 10);
        if (xorRule) {  // High3700: steps even when y is 0
            l = WrapAdd(l, (H ^ y) < 0 ? -2 : 2);
            m = WrapAdd(m, (R ^ y) < 0 ? 1 : -1);
        } else if (y != 0) {
            l = WrapAdd(l, Agree(H, y, 2));
            m = WrapSub(m, Agree(R, y, 1));
        }
        H = WrapSub(WrapMul(2, z), R);
        R = z;
        return y;
    }
};

// The 16-tap stage's weights of High3700 (shift 8, input decremented) or
// High3800 (shift 9): `stored` holds the residuals up to element 15, then the
// stage's output.
struct LongStage {
    int32_t w[kHighHead + 1] = {};  // w[d] weighs the value d back
    bool is3700;

    int32_t Dot(const Values& stored, size_t i) const {
        int32_t sum = 0;
        for (int d = 1; d <= kHighHead; ++d)
            sum = WrapAdd(sum, WrapMul(w[d], stored[i - d]));
        return sum;
    }

    // The residual for stage output v at element i.
    int32_t Undo(const Values& stored, size_t i, int32_t v) {
        const int32_t sum = Dot(stored, i);
        if (is3700) {
            const int32_t q = WrapAdd(v, sum >> 8);
            if (q != 0)
                for (int d = 1; d <= kHighHead; ++d)
                    w[d] = WrapAdd(w[d], Positive(stored[i - d], d % 2 == 0) != (q > 0) ? 1 : -1);
            return WrapAdd(q, 1);
        }
        const int32_t x = WrapAdd(v, sum >> 9);
        if (x != 0)
            for (int d = 1; d <= kHighHead; ++d)
                w[d] = WrapAdd(w[d], (stored[i - d] < 0) == (x > 0) ? 1 : -1);
        return x;
    }
};

Values HighForward(const Values& samples, bool is3700) {
    Values residuals(samples.size());
    Differences(samples, residuals, kHighHead);
    Values stored(residuals);
    ShortStages shortStages(residuals, !is3700);
    LongStage longStage{{}, is3700};
    for (size_t i = kHighHead; i < samples.size(); ++i) {
        const int32_t z = Unleak(samples, static_cast<int>(i));
        const int32_t y = shortStages.UndoStage3(z, is3700);
        const int32_t v = shortStages.UndoStage2(y);
        residuals[i] = longStage.Undo(stored, i, v);
        stored[i] = v;
    }
    return residuals;
}

}  // namespace

Values High3600(const Values& samples) {
    if (samples.size() < 16)
        return samples;
    return UndoHigh3600Stages(UndoHigh3600Integration(samples));
}

Values High3700(const Values& samples) { return samples.size() < 20 ? samples : HighForward(samples, true); }

Values High3800(const Values& samples) { return samples.size() < 20 ? samples : HighForward(samples, false); }

}  // namespace older_encoder::forward_members
