#include "tessarine/codec/decode/adaptive_filter.h"

#include "tessarine/codec/decode/decode_exception.h"
#include "tessarine/codec/decode/dsp/cpu_features.h"
#include "tessarine/codec/decode/wrapping_math.h"

#include <cstring>

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

// The coefficient update direction for a residual: the adapt values are added
// when the residual is negative and subtracted when it is positive.
int AdaptDirection(int32_t residual) { return residual < 0 ? 1 : (residual > 0 ? -1 : 0); }

}  // namespace

CAdaptiveFilter::CAdaptiveFilter(int32_t order, int32_t shift, int32_t version)
    : m_order(CheckedOrder(order)),
      m_shift(CheckedShift(shift)),
      m_version(version),
      m_vector(ProcessorHasMmx()),
      m_input(order),
      m_adapt(order),
      m_coefficients(order),
      m_kernels(m_vector ? &ActiveFilterKernels() : &FilterKernelsUpTo(SimdLevel::Scalar)) {}

void CAdaptiveFilter::Reset() {
    std::memset(m_coefficients.Get(), 0, sizeof(int16_t) * m_order);
    m_input.Reset();
    m_adapt.Reset();
    m_average = 0;
}

int32_t CAdaptiveFilter::Decode(int32_t input) {
    const int32_t dot = m_kernels->dotAdapt16(m_coefficients.Get(), m_input.Current() - m_order,
                                              m_adapt.Current() - m_order, AdaptDirection(input), m_order);
    const int32_t output = WrapAdd(input, RoundingShift(dot, m_shift));
    *m_input.Current() = SaturateInt16(output);
    StoreAdaptValue(output);
    m_input.Advance();
    m_adapt.Advance();
    return output;
}

int32_t CAdaptiveFilter::Encode(int32_t input) {
    *m_input.Current() = SaturateInt16(input);
    const int32_t dot = m_kernels->dotProduct16(m_input.Current() - m_order, m_coefficients.Get(), m_order);
    const int32_t output = WrapSub(input, RoundingShift(dot, m_shift));
    m_kernels->adaptCoefficients16(m_coefficients.Get(), m_adapt.Current() - m_order, AdaptDirection(output),
                                   m_order);
    StoreAdaptValue(input);
    m_input.Advance();
    m_adapt.Advance();
    return output;
}

// The adapt value of the newest sample, and the decay of the recent ones. The
// figure's sign opposes the sample's (a sample of 0 counts as positive, which
// matters only for the larger figures, reachable once the average has wrapped).
void CAdaptiveFilter::StoreAdaptValue(int32_t output) {
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
