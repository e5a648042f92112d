// One sign-adaptive FIR stage of the predictor chain. Decode turns a residual
// into a sample; Encode is its exact inverse.
#pragma once

#include "tessarine/codec/decode/dsp/aligned_array.h"
#include "tessarine/codec/decode/dsp/filter_kernels.h"
#include "tessarine/codec/decode/sliding_buffer.h"
#include "tessarine/codec/decode/wrapping_math.h"

#include <cstdint>

class CAdaptiveFilter {
public:
    // Streams from this version on use the magnitude-scaled adapt values.
    static constexpr int32_t kScaledAdaptVersion = 3980;

    // Raises DecodeException{1} for an order that is not a positive multiple of
    // 16, or a shift outside 1..31. Call Reset before first use.
    CAdaptiveFilter(int32_t order, int32_t shift, int32_t version);
    CAdaptiveFilter(const CAdaptiveFilter&) = delete;
    CAdaptiveFilter& operator=(const CAdaptiveFilter&) = delete;

    void Reset();
    int32_t Decode(int32_t input) {
        const int32_t dot = m_kernels->dotAdapt16(m_coefficients.Get(), m_input.Current() - m_order,
                                                  m_adapt.Current() - m_order, AdaptDirection(input), m_order);
        const int32_t output = WrapAdd(input, RoundingShift(dot, m_shift));
        *m_input.Current() = SaturateInt16(output);
        StoreAdaptValue(output);
        m_input.Advance();
        m_adapt.Advance();
        return output;
    }
    // Decode over values[0..n), in place.
    void DecodeBatch(int32_t* values, int32_t n);
    int32_t Encode(int32_t input);

    int32_t Order() const { return m_order; }
    int32_t Shift() const { return m_shift; }
    int32_t Version() const { return m_version; }
    bool VectorFlag() const { return m_vector; }
    SimdLevel KernelLevel() const { return m_kernels->level; }

    // The coefficient update direction for a residual: the adapt values are
    // added when the residual is negative and subtracted when it is positive.
    static int AdaptDirection(int32_t residual) { return residual < 0 ? 1 : (residual > 0 ? -1 : 0); }

private:
    void StoreAdaptValue(int32_t output);

    int32_t m_order;
    int32_t m_shift;
    int32_t m_version;
    bool m_vector;
    int32_t m_average = 0;
    CSlidingBuffer<int16_t> m_input;
    CSlidingBuffer<int16_t> m_adapt;
    AlignedArray<int16_t> m_coefficients;
    const FilterKernels* m_kernels;
};

// The adapt value of the newest sample, and the decay of the recent ones. The
// figure's sign opposes the sample's (a sample of 0 counts as positive, which
// matters only for the larger figures, reachable once the average has wrapped).
inline void CAdaptiveFilter::StoreAdaptValue(int32_t output) {
    int16_t* adapt = m_adapt.Current();
    if (m_version < kScaledAdaptVersion) {
        adapt[0] = output == 0 ? 0 : (output < 0 ? 4 : -4);
        adapt[-4] = static_cast<int16_t>(adapt[-4] >> 1);
        adapt[-8] = static_cast<int16_t>(adapt[-8] >> 1);
        return;
    }
    const int32_t magnitude = WrapAbs(output);
    int16_t figure = 0;
    if (magnitude > WrapMul(m_average, 3))
        figure = 32;
    else if (magnitude > WrapMul(m_average, 4) / 3)
        figure = 16;
    else if (magnitude > 0)
        figure = 8;
    adapt[0] = output < 0 ? figure : static_cast<int16_t>(-figure);
    m_average = WrapAdd(m_average, WrapSub(magnitude, m_average) / 16);
    adapt[-1] = static_cast<int16_t>(adapt[-1] >> 1);
    adapt[-2] = static_cast<int16_t>(adapt[-2] >> 1);
    adapt[-8] = static_cast<int16_t>(adapt[-8] >> 1);
}
