#include "tessarine/codec/decode/dsp/filter_kernels.h"

#include "tessarine/codec/decode/dsp/adapt_figure.h"

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

namespace {

// Drops the oldest value of a 16-value window and puts `newest` last.
void MoveWindow(int16_t* window, int16_t newest) {
    for (int j = 0; j < 15; ++j)
        window[j] = window[j + 1];
    window[15] = newest;
}

void DecodeOneRun16(const FilterRun16& run, int32_t* values, int n) {
    const uint32_t decay = DecayLanes(run.scaled);
    for (int i = 0; i < n; ++i) {
        const int32_t input = values[i];
        const int32_t dot = ScalarDotAdapt16(run.coefficients, run.history, run.adapt, AdaptDirection(input), 16);
        const int32_t output = WrapAdd(input, RoundingShift(dot, run.shift));
        MoveWindow(run.history, SaturateInt16(output));
        MoveWindow(run.adapt, NextAdaptValue(output, *run.average, run.scaled));
        for (int j = 0; j < 16; ++j) {
            if ((decay >> j) & 1)
                run.adapt[j] = static_cast<int16_t>(run.adapt[j] >> 1);
        }
        values[i] = output;
    }
}

}  // namespace

void ScalarDecodeRun16(const FilterRun16* runs, int32_t* const* stretches, int count, int n) {
    for (int k = 0; k < count; ++k)
        DecodeOneRun16(runs[k], stretches[k], n);
}
