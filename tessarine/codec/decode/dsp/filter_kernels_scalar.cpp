#include "tessarine/codec/decode/dsp/filter_kernels.h"

int32_t ScalarDotProduct16(const int16_t* a, const int16_t* b, int n) {
    uint32_t sum = 0;
    for (int i = 0; i < n; ++i)
        sum += static_cast<uint32_t>(static_cast<int32_t>(a[i]) * b[i]);
    return static_cast<int32_t>(sum);
}

void ScalarAdaptCoefficients16(int16_t* coefficients, const int16_t* adapt, int direction, int n) {
    if (direction > 0) {
        for (int i = 0; i < n; ++i)
            coefficients[i] = static_cast<int16_t>(static_cast<uint16_t>(coefficients[i]) + adapt[i]);
    } else if (direction < 0) {
        for (int i = 0; i < n; ++i)
            coefficients[i] = static_cast<int16_t>(static_cast<uint16_t>(coefficients[i]) - adapt[i]);
    }
}

int32_t ScalarDotAdapt16(int16_t* coefficients, const int16_t* history, const int16_t* adapt, int direction,
                         int n) {
    const int32_t dot = ScalarDotProduct16(history, coefficients, n);
    ScalarAdaptCoefficients16(coefficients, adapt, direction, n);
    return dot;
}
