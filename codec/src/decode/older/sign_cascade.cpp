// SPDX-License-Identifier: BSD-3-Clause
#include "decode/older/sign_cascade.h"

#include "decode/older/older_steps.h"
#include "dsp/filter_kernels.h"
#include "platform/win32.h"

namespace zem {

using namespace older_steps;

namespace {

constexpr int kShortStageVersion = 3830;

int32_t Sign(int32_t x) { return x >= 0 ? 1 : -1; }
int16_t Low16(int32_t x) { return static_cast<int16_t>(static_cast<uint16_t>(x)); }
// The long filter adapts towards the residual's sign: +1 marks a negative value.
int16_t AdaptSign(int32_t x) { return x < 0 ? 1 : -1; }

// Second-order stage on the long filter's output.
struct ExtrapolationStage {
    int32_t x1, x2, d1, d2, a1 = 115, a2 = 64, a3 = 64;

    ExtrapolationStage(const int32_t* in, int taps)
        : x1(in[taps - 1]), x2(in[taps - 2]), d1(WrapMul(2, WrapSub(x1, x2))),
          d2(WrapAdd(x1, WrapMul(8, WrapSub(in[taps - 3], x2)))) {}

    int32_t Run(int32_t v) {
        const int32_t x = WrapAdd(v, WrapAdd(WrapAdd(WrapMul(d1, a1), WrapMul(x1, a2)), WrapMul(d2, a3)) >> 11);
        if (v != 0) {
            const int32_t direction = v > 0 ? 1 : -1;
            a3 = WrapAdd(a3, direction * Sign(d2));
            a1 = WrapAdd(a1, direction * 4 * Sign(d1));
            a2 = WrapAdd(a2, direction * 4 * Sign(x1));
        }
        d2 = WrapAdd(x, WrapMul(8, WrapSub(x2, x1)));
        d1 = WrapMul(2, WrapSub(x, x1));
        x2 = x1;
        x1 = x;
        return x;
    }
};

// First-order stage with a cross weight on the previous value.
struct LeakStage {
    int32_t y, e, b1 = 740, b2 = 0;
    int shift;

    LeakStage(const int32_t* in, int taps, int shiftBits)
        : y(in[taps - 1]), e(WrapSub(WrapMul(2, in[taps - 1]), in[taps - 2])), shift(shiftBits) {}

    int32_t Run(int32_t x) {
        const int32_t F = WrapAdd(x, WrapSub(WrapMul(e, b1), WrapMul(y, b2)) >> shift);
        if (x != 0) {
            const int32_t direction = x > 0 ? 1 : -1;
            b1 = WrapAdd(b1, direction * 2 * Sign(e));
            b2 = WrapSub(b2, direction * Sign(y));
        }
        e = WrapSub(WrapMul(2, F), y);
        y = F;
        return F;
    }
};

}  // namespace

CSignCascade4000::CSignCascade4000(int version, const FilterKernels* kernels)
    : m_kernels(kernels ? kernels : &ActiveFilterKernels()),
      m_version(version),
      m_taps(version < kShortStageVersion ? 128 : 256),
      m_shiftLong(version < kShortStageVersion ? 11 : 12),
      m_shiftLeak(version < kShortStageVersion ? 10 : 11) {}

int32_t CSignCascade4000::ShortStage(int32_t t) {
    int32_t q = 0;
    for (int k = 0; k < 8; ++k)
        q = WrapAdd(q, WrapMul(m_weights[k], m_history[k]));
    if (t != 0)
        for (int k = 0; k < 8; ++k)
            m_weights[k] = WrapAdd(m_weights[k], t > 0 ? -Sign(m_history[k]) : Sign(m_history[k]));
    for (int k = 7; k > 0; --k)
        m_history[k] = m_history[k - 1];
    m_history[0] = t;
    return WrapSub(t, q >> 9);
}

// The dot product of the last C values with the coefficients as they were,
// then the coefficients step towards the residual's sign: one fused kernel.
int32_t CSignCascade4000::LongStage(int32_t r, int i) {
    const int16_t* values = m_values.data() + (i - m_taps);
    const int16_t* signs = m_signs.data() + (i - m_taps);
    const int direction = r > 0 ? 1 : (r < 0 ? -1 : 0);
    const int32_t dot = m_kernels->dotAdapt16(m_coefficients.data(), values, signs, direction, m_taps);
    const int32_t result = WrapSub(r, dot >> m_shiftLong);
    m_values[i] = Low16(result);
    m_signs[i] = AdaptSign(result);
    return result;
}

void CSignCascade4000::Reconstruct(int32_t* in, int32_t* out, int n, int pause) {
    const int C = m_taps;
    if (n < C + 6)
        return CopyValues(in, out, n);
    RunningSums(in, out, C);
    m_values.assign(n, 0);
    m_signs.assign(n, 0);
    m_coefficients.assign(C, 0);
    for (int i = 0; i < C; ++i) {
        m_values[i] = Low16(in[i]);
        m_signs[i] = AdaptSign(in[i]);
    }
    for (int k = 0; k < 8; ++k)
        m_history[k] = m_weights[k] = 0;
    ExtrapolationStage stage2(in, C);
    LeakStage stage3(in, C, m_shiftLeak);
    const bool shortStage = m_version >= kShortStageVersion;
    for (int i = C; i < n; ++i) {
        if (pause > 0 && i % pause == 0)
            Sleep(1);
        if (shortStage)
            in[i] = ShortStage(in[i]);
        in[i] = LongStage(in[i], i);
        const int32_t F = stage3.Run(stage2.Run(in[i]));
        out[i] = WrapAdd(F, WrapMulShift(out[i - 1], 31, 5));
    }
}

}  // namespace zem
