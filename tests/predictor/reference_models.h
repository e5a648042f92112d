// SPDX-License-Identifier: BSD-3-Clause
// Unhurried models of the filter and predictor rules, written for the tests
// with unbounded histories (no sliding windows, no vector kernels) and 64-bit
// sums wrapped to 32 bits only where the rules wrap. Used to check that
// rolling the windows and choosing kernels never changes a result.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace predictor_tests {

inline int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

class FilterModel {
public:
    FilterModel(int order, int shift, int version)
        : m_order(order), m_shift(shift), m_version(version), m_inputs(order, 0), m_adapt(order, 0), m_coefficients(order, 0) {}

    int32_t Decode(int32_t input) {
        const size_t base = m_inputs.size() - m_order;
        int64_t dot = 0;
        for (int i = 0; i < m_order; ++i)
            dot += int64_t{m_inputs[base + i]} * m_coefficients[i];
        for (int i = 0; input != 0 && i < m_order; ++i)
            m_coefficients[i] = static_cast<int16_t>(m_coefficients[i] + (input < 0 ? 1 : -1) * m_adapt[base + i]);
        const int32_t output = Wrap(int64_t{input} + (Wrap(int64_t{Wrap(dot)} + (1 << (m_shift - 1))) >> m_shift));
        m_inputs.push_back(static_cast<int16_t>(output > 32767 ? 32767 : (output < -32768 ? -32768 : output)));
        PushAdapt(output);
        return output;
    }

private:
    void PushAdapt(int32_t output) {
        const int64_t m = std::llabs(int64_t{output});
        int figure = 0;
        if (m_version < 3980)
            figure = output == 0 ? 0 : 4;
        else if (m > 3 * int64_t{m_average})
            figure = 32;
        else if (m > 4 * int64_t{m_average} / 3)
            figure = 16;
        else if (m > 0)
            figure = 8;
        m_adapt.push_back(static_cast<int16_t>(output < 0 ? figure : -figure));
        const size_t now = m_adapt.size() - 1;
        for (size_t back : m_version < 3980 ? std::vector<size_t>{4, 8} : std::vector<size_t>{1, 2, 8})
            m_adapt[now - back] = static_cast<int16_t>(m_adapt[now - back] / 2 - (m_adapt[now - back] % 2 < 0));
        if (m_version >= 3980)
            m_average += static_cast<int32_t>((m - m_average) / 16);
    }

    int m_order, m_shift, m_version;
    int32_t m_average = 0;
    std::vector<int16_t> m_inputs, m_adapt, m_coefficients;
};

// Level-1000 predictors (no filter stages), histories kept whole.
class Predictor3930Model {
public:
    int32_t Decode(int32_t a) {
        const size_t n = m_p.size();
        const int64_t x1 = m_p[n - 1], d1 = x1 - m_p[n - 2], d2 = m_p[n - 2] - m_p[n - 3], d3 = m_p[n - 3] - m_p[n - 4];
        const int64_t terms[4] = {x1, d1, d2, d3};
        int64_t sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += terms[i] * m_w[i];
        const int32_t p = Wrap(a + (int64_t{Wrap(sum)} >> 9));
        for (int i = 0; a != 0 && i < 4; ++i)
            m_w[i] += (a > 0 ? 1 : -1) * (Wrap(terms[i]) >= 0 ? 1 : -1);
        m_p.push_back(p);
        m_last = Wrap(p + (int64_t{Wrap(int64_t{m_last} * 31)} >> 5));
        return m_last;
    }

private:
    std::vector<int32_t> m_p = std::vector<int32_t>(8, 0);
    int32_t m_w[4] = {360, 317, -109, 98};
    int32_t m_last = 0;
};

class Predictor3950Model {
public:
    int32_t Decode(int32_t a, int32_t other) {
        m_own.push_back(m_lastPrediction);
        m_own[m_own.size() - 2] = Wrap(int64_t{m_own.back()} - m_own[m_own.size() - 2]);
        m_cross.push_back(Wrap(other - (int64_t{Wrap(int64_t{m_previousOther} * 31)} >> 5)));
        m_previousOther = other;
        m_cross[m_cross.size() - 2] = Wrap(int64_t{m_cross.back()} - m_cross[m_cross.size() - 2]);
        for (auto* pair : {&m_own, &m_cross}) {
            std::vector<int32_t>& signs = pair == &m_own ? m_ownSigns : m_crossSigns;
            signs.push_back(Sign(pair->back()));
            signs[signs.size() - 2] = Sign((*pair)[pair->size() - 2]);
        }
        int64_t own = 0, cross = 0;
        for (int i = 0; i < 5; ++i)
            cross += int64_t{Back(m_cross, i)} * m_b[i];
        for (int i = 0; i < 4; ++i)
            own += int64_t{Back(m_own, i)} * m_a[i];
        const int32_t p = Wrap(a + (int64_t{Wrap(int64_t{Wrap(own)} + (int64_t{Wrap(cross)} >> 1))} >> 10));
        for (int i = 0; a != 0 && i < 5; ++i) {
            if (i < 4)
                m_a[i] += a > 0 ? -Back(m_ownSigns, i) : Back(m_ownSigns, i);
            m_b[i] += a > 0 ? -Back(m_crossSigns, i) : Back(m_crossSigns, i);
        }
        m_lastPrediction = p;
        m_last = Wrap(p + (int64_t{Wrap(int64_t{m_last} * 31)} >> 5));
        return m_last;
    }

private:
    static int32_t Sign(int32_t v) { return v > 0 ? -1 : (v < 0 ? 1 : 0); }
    static int32_t Back(const std::vector<int32_t>& v, int i) { return v[v.size() - 1 - i]; }

    std::vector<int32_t> m_own = std::vector<int32_t>(8, 0), m_cross = m_own, m_ownSigns = m_own, m_crossSigns = m_own;
    int32_t m_a[4] = {360, 317, -109, 98}, m_b[5] = {0, 0, 0, 0, 0};
    int32_t m_last = 0, m_lastPrediction = 0, m_previousOther = 0;
};

}  // namespace predictor_tests
