// SPDX-License-Identifier: BSD-3-Clause
#include "model/adaptive_filter.h"

#include "dsp/cpu_features.h"
#include "model/decode_exception.h"
#include "model/wrapping_math.h"

#include <algorithm>
#include <cstring>

namespace zem {

namespace {

int32_t CheckedOrder(int32_t order) {
    if (order < 1 || order % 16 != 0)
        throw DecodeException{kUnsupportedStage};
    return order;
}

int32_t CheckedShift(int32_t shift) {
    if (shift < 1 || shift > 31)
        throw DecodeException{kUnsupportedStage};
    return shift;
}

// Zeros enough for every filter of the codec's levels, shared by all: the run
// kernels read them in place of adapt values when a step moves nothing.
constexpr int32_t kSharedZeros = 2048;

const int16_t* SharedZeros() {
    static const AlignedArray<int16_t> zeros = [] {
        AlignedArray<int16_t> values(kSharedZeros);
        std::memset(values.Get(), 0, sizeof(int16_t) * kSharedZeros);
        return values;
    }();
    return zeros.Get();
}

}  // namespace

CAdaptiveFilter::CAdaptiveFilter(int32_t order, int32_t shift, int32_t version)
    : m_order(CheckedOrder(order)),
      m_shift(CheckedShift(shift)),
      m_version(version),
      m_vector(ProcessorHasMmx()),
      m_input(order),
      m_adapt(order),
      m_negatedAdapt(order),
      m_coefficients(order),
      m_kernels(m_vector ? &ActiveFilterKernels() : &FilterKernelsUpTo(SimdLevel::Scalar)) {
    const int32_t needed = order + CSlidingBuffer<int16_t>::kWindow;
    if (needed <= kSharedZeros) {
        m_zeros = SharedZeros();
    } else {
        m_ownZeros = std::make_unique<AlignedArray<int16_t>>(needed);
        std::memset(m_ownZeros->Get(), 0, sizeof(int16_t) * needed);
        m_zeros = m_ownZeros->Get();
    }
}

// After s samples from a reset, the outputs and adapt values written lie in
// [order, order + s) of the arrays (the history in front of them was never
// moved while s is below the window), and coefficient j has only been moved
// by adapt values j + t for t < s, which are 0 below the array's position
// `order`: so only the last s coefficients can differ from 0. The short
// filters' kernels keep their windows in place and shift them, so they are
// cleared whole; they are small.
void CAdaptiveFilter::Reset() {
    const int32_t samples = IsShortOrder(m_order) ? kFullReset : m_samples;
    const int32_t touched = std::min(samples, m_order);
    std::memset(m_coefficients.Get() + (m_order - touched), 0, sizeof(int16_t) * touched);
    m_input.Reset(samples);
    m_adapt.Reset(samples);
    m_negatedAdapt.Reset(samples);
    m_average = 0;
    m_samples = 0;
}

// Only the last `order` values of a short filter's windows are ever read, so
// in a run they stay where they are and the write position does not move.
ShortFilterRun CAdaptiveFilter::ShortRun() {
    return {m_order, m_coefficients.Get(), m_input.Current() - m_order, m_adapt.Current() - m_order, &m_average,
            m_shift, m_version >= kScaledAdaptVersion};
}

void CAdaptiveFilter::DecodeBatchPair(CAdaptiveFilter& a, int32_t* va, CAdaptiveFilter& b, int32_t* vb, int32_t n) {
    if (!IsShortOrder(a.m_order) || a.m_order != b.m_order || a.m_kernels != b.m_kernels) {
        a.DecodeBatch(va, n);
        b.DecodeBatch(vb, n);
        return;
    }
    a.CountSamples(n);
    b.CountSamples(n);
    const ShortFilterRun runs[2] = {a.ShortRun(), b.ShortRun()};
    int32_t* const values[2] = {va, vb};
    a.m_kernels->decodeShortRun(runs, values, 2, n);
}

void CAdaptiveFilter::DecodeBatch(int32_t* values, int32_t n) {
    if (IsShortOrder(m_order)) {
        CountSamples(n);
        const ShortFilterRun run = ShortRun();
        m_kernels->decodeShortRun(&run, &values, 1, n);
        return;
    }
    if (m_kernels->decodeRun) {
        CountSamples(n);
        int32_t position = m_input.Position();
        const FilterRun run = {m_coefficients.Get(), m_input.Base(), m_adapt.Base(), m_negatedAdapt.Base(),
                               m_zeros, &position, m_order, CSlidingBuffer<int16_t>::kWindow, &m_average,
                               m_shift, m_version >= kScaledAdaptVersion};
        m_kernels->decodeRun(run, values, n);
        m_input.SetPosition(position);
        m_adapt.SetPosition(position);
        m_negatedAdapt.SetPosition(position);
        return;
    }
    for (int32_t i = 0; i < n; ++i)
        values[i] = Decode(values[i]);
}

int32_t CAdaptiveFilter::Encode(int32_t input) {
    CountSamples(1);
    *m_input.Current() = SaturateInt16(input);
    const int32_t dot = m_kernels->dotProduct16(m_input.Current() - m_order, m_coefficients.Get(), m_order);
    const int32_t output = WrapSub(input, RoundingShift(dot, m_shift));
    m_kernels->adaptCoefficients16(m_coefficients.Get(), m_adapt.Current() - m_order, AdaptDirection(output),
                                   m_order);
    StoreAdaptValue(input);
    Advance();
    return output;
}


}  // namespace zem
