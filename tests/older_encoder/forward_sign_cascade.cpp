// SPDX-License-Identifier: BSD-3-Clause
// The level-4000 cascade of streams from 3800 on, in the encoding direction:
// the integrator, the two short stages, the long 16-bit filter and (from
// 3830) the 8-tap stage are undone in that order, value by value.
#include "tests/older_encoder/forward_math.h"
#include "tests/older_encoder/forward_predictor.h"

#include <cstdint>

namespace older_encoder::forward_members {

using namespace forward_math;

namespace {

int16_t Low16(int32_t x) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(x))); }

struct Shape {
    int taps, longShift, leakShift;
    bool eightTaps;
    explicit Shape(int version)
        : taps(version < 3830 ? 128 : 256),
          longShift(version < 3830 ? 11 : 12),
          leakShift(version < 3830 ? 10 : 11),
          eightTaps(version >= 3830) {}
};

// The long filter on the last `taps` outputs, kept as 16-bit values and signs.
class LongFilter {
public:
    LongFilter(const Values& residuals, int taps, int shift, size_t n)
        : m_values(n), m_signs(n), m_coefficients(taps), m_taps(taps), m_shift(shift) {
        for (int i = 0; i < taps; ++i)
            Remember(i, residuals[i]);
    }

    // The value the filter read at element i, given the value it wrote.
    int32_t Undo(size_t i, int32_t written) {
        const size_t first = i - m_taps;
        int32_t dot = 0;
        for (int j = 0; j < m_taps; ++j)
            dot = WrapAdd(dot, int32_t(m_values[first + j]) * m_coefficients[j]);
        const int32_t read = WrapAdd(written, dot >> m_shift);
        if (read != 0)
            for (int j = 0; j < m_taps; ++j)
                m_coefficients[j] = Low16(read > 0 ? m_coefficients[j] + m_signs[first + j]
                                                    : m_coefficients[j] - m_signs[first + j]);
        Remember(i, written);
        return read;
    }

private:
    // +1 marks a negative value, -1 any other.
    void Remember(size_t i, int32_t value) {
        m_values[i] = Low16(value);
        m_signs[i] = value < 0 ? 1 : -1;
    }

    std::vector<int16_t> m_values, m_signs, m_coefficients;
    int m_taps, m_shift;
};

// The 8-tap stage of 3830 on, on the raw residuals (h[0] the most recent).
struct EightTaps {
    int32_t h[8] = {}, w[8] = {};

    int32_t Undo(int32_t written) {
        int32_t q = 0;
        for (int k = 0; k < 8; ++k)
            q = WrapAdd(q, WrapMul(w[k], h[k]));
        const int32_t t = WrapAdd(written, q >> 9);
        if (t != 0)
            for (int k = 0; k < 8; ++k)
                w[k] = t > 0 ? WrapSub(w[k], SignOf(h[k])) : WrapAdd(w[k], SignOf(h[k]));
        for (int k = 7; k > 0; --k)
            h[k] = h[k - 1];
        h[0] = t;
        return t;
    }
};

// The second-order stage and the leak stage after the long filter.
struct ShortStages {
    int32_t x1, x2, d1, d2, a1 = 115, a2 = 64, a3 = 64;  // a1 on d1, a2 on x1, a3 on d2
    int32_t y, e, b1 = 740, b2 = 0;                        // b1 on e, b2 on y
    int leakShift;

    ShortStages(const Values& r, int C, int shift)
        : x1(r[C - 1]),
          x2(r[C - 2]),
          d1(WrapMul(2, WrapSub(x1, x2))),
          d2(WrapAdd(x1, WrapMul(8, WrapSub(r[C - 3], x2)))),
          y(r[C - 1]),
          e(WrapSub(WrapMul(2, r[C - 1]), r[C - 2])),
          leakShift(shift) {}

    // What the leak stage read (x), given what it wrote (F).
    int32_t UndoLeak(int32_t F) {
        const int32_t x = WrapSub(F, WrapSub(WrapMul(e, b1), WrapMul(y, b2)) >> leakShift);
        if (x != 0) {
            const int32_t direction = x > 0 ? 1 : -1;
            b1 = WrapAdd(b1, direction * 2 * SignOf(e));
            b2 = WrapSub(b2, direction * SignOf(y));
        }
        e = WrapSub(WrapMul(2, F), y);
        y = F;
        return x;
    }

    // What the second-order stage read (v), given what it wrote (x).
    int32_t UndoSecondOrder(int32_t x) {
        const int32_t v = WrapSub(x, WrapAdd(WrapAdd(WrapMul(d1, a1), WrapMul(x1, a2)), WrapMul(d2, a3)) >> 11);
        if (v != 0) {
            const int32_t direction = v > 0 ? 1 : -1;
            a3 = WrapAdd(a3, direction * SignOf(d2));
            a1 = WrapAdd(a1, direction * 4 * SignOf(d1));
            a2 = WrapAdd(a2, direction * 4 * SignOf(x1));
        }
        d2 = WrapAdd(x, WrapMul(8, WrapSub(x2, x1)));
        d1 = WrapMul(2, WrapSub(x, x1));
        x2 = x1;
        x1 = x;
        return v;
    }
};

}  // namespace

Values SignCascade4000(const Values& samples, int version) {
    const Shape shape(version);
    const int C = shape.taps;
    const size_t n = samples.size();
    if (n < size_t(C) + 6)
        return samples;
    Values residuals(n);
    Differences(samples, residuals, C);
    LongFilter longFilter(residuals, C, shape.longShift, n);
    ShortStages stages(residuals, C, shape.leakShift);
    EightTaps eightTaps;
    for (size_t i = C; i < n; ++i) {
        const int32_t x = stages.UndoLeak(Unleak(samples, static_cast<int>(i)));
        const int32_t r = longFilter.Undo(i, stages.UndoSecondOrder(x));
        residuals[i] = shape.eightTaps ? eightTaps.Undo(r) : r;
    }
    return residuals;
}

}  // namespace older_encoder::forward_members
