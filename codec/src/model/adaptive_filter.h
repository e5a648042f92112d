// SPDX-License-Identifier: BSD-3-Clause
// One sign-adaptive FIR stage of the predictor chain. Decode turns a residual
// into a sample; Encode is its exact inverse.
#pragma once

#include "dsp/adapt_figure.h"
#include "dsp/aligned_array.h"
#include "dsp/filter_kernels.h"
#include "model/sliding_buffer.h"
#include "model/wrapping_math.h"

#include <climits>
#include <cstdint>
#include <memory>

namespace zem {

class CAdaptiveFilter {
public:
    // Streams from this version on use the magnitude-scaled adapt values.
    static constexpr int32_t kScaledAdaptVersion = 3980;

    // Raises DecodeException{1} for an order that is not a positive multiple of
    // 16, or a shift outside 1..31. Call Reset before first use.
    CAdaptiveFilter(int32_t order, int32_t shift, int32_t version);
    CAdaptiveFilter(const CAdaptiveFilter&) = delete;
    CAdaptiveFilter& operator=(const CAdaptiveFilter&) = delete;

    // Back to the state before the first sample. Clears only what the samples
    // since the last reset can have touched, so that a frame of a few samples
    // costs a reset of a few samples, not of the whole filter.
    void Reset();
    int32_t Decode(int32_t input) {
        CountSamples(1);
        const int32_t dot = m_kernels->dotAdapt16(m_coefficients.Get(), m_input.Current() - m_order,
                                                  m_adapt.Current() - m_order, AdaptDirection(input), m_order);
        const int32_t output = WrapAdd(input, RoundingShift(dot, m_shift));
        *m_input.Current() = SaturateInt16(output);
        StoreAdaptValue(output);
        Advance();
        return output;
    }
    // Decode over values[0..n), in place.
    void DecodeBatch(int32_t* values, int32_t n);
    // a.DecodeBatch(va, n) and b.DecodeBatch(vb, n), side by side where the
    // kernels allow.
    static void DecodeBatchPair(CAdaptiveFilter& a, int32_t* va, CAdaptiveFilter& b, int32_t* vb, int32_t n);
    int32_t Encode(int32_t input);

    int32_t Order() const { return m_order; }
    int32_t Shift() const { return m_shift; }
    int32_t Version() const { return m_version; }
    bool VectorFlag() const { return m_vector; }
    SimdLevel KernelLevel() const { return m_kernels->level; }

private:
    ShortFilterRun ShortRun();
    void CountSamples(int32_t n) { m_samples = n < kFullReset - m_samples ? m_samples + n : kFullReset; }
    // At this many samples since a reset everything is cleared, whatever touched it.
    static constexpr int32_t kFullReset = INT32_MAX;
    void StoreAdaptValue(int32_t output);
    void Advance() {
        m_input.Advance();
        m_adapt.Advance();
        m_negatedAdapt.Advance();
    }

    int32_t m_order;
    int32_t m_shift;
    int32_t m_version;
    bool m_vector;
    int32_t m_average = 0;
    int32_t m_samples = kFullReset;  // samples since the last reset
    CSlidingBuffer<int16_t> m_input;
    CSlidingBuffer<int16_t> m_adapt;
    CSlidingBuffer<int16_t> m_negatedAdapt;  // -m_adapt, for the run kernels (FilterRun)
    AlignedArray<int16_t> m_coefficients;
    std::unique_ptr<AlignedArray<int16_t>> m_ownZeros;  // for orders beyond the shared zeros
    const int16_t* m_zeros;
    const FilterKernels* m_kernels;
};

// The adapt value of the newest sample, and the decay of the recent ones.
inline void CAdaptiveFilter::StoreAdaptValue(int32_t output) {
    int16_t* adapt = m_adapt.Current();
    int16_t* negated = m_negatedAdapt.Current();
    adapt[0] = NextAdaptValue(output, m_average, m_version >= kScaledAdaptVersion);
    negated[0] = static_cast<int16_t>(-adapt[0]);
    // Lane 15 of the window is the newest value, so lane j lies 15 - j back.
    for (uint32_t lanes = DecayLanes(m_version >= kScaledAdaptVersion); lanes; lanes &= lanes - 1) {
        const int back = 15 - __builtin_ctz(lanes);
        adapt[-back] = static_cast<int16_t>(adapt[-back] >> 1);
        negated[-back] = static_cast<int16_t>(-adapt[-back]);
    }
}

}  // namespace zem
