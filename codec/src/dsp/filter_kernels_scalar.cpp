// SPDX-License-Identifier: BSD-3-Clause
#include "dsp/filter_kernels.h"

#include "dsp/adapt_figure.h"

namespace zem {

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

// Drops the oldest value of a window and puts `newest` last.
void MoveWindow(int16_t* window, int size, int16_t newest) {
    for (int j = 0; j + 1 < size; ++j)
        window[j] = window[j + 1];
    window[size - 1] = newest;
}

void DecodeOneShortRun(const ShortFilterRun& run, int32_t* values, int n) {
    const uint32_t decay = DecayLanes(run.scaled);
    int16_t* newestAdapt = run.adapt + run.order - 16;  // the lanes the decay mask names
    for (int i = 0; i < n; ++i) {
        const int32_t input = values[i];
        const int32_t dot =
            ScalarDotAdapt16(run.coefficients, run.history, run.adapt, AdaptDirection(input), run.order);
        const int32_t output = WrapAdd(input, RoundingShift(dot, run.shift));
        MoveWindow(run.history, run.order, SaturateInt16(output));
        MoveWindow(run.adapt, run.order, NextAdaptValue(output, *run.average, run.scaled));
        for (int j = 0; j < 16; ++j) {
            if ((decay >> j) & 1)
                newestAdapt[j] = static_cast<int16_t>(newestAdapt[j] >> 1);
        }
        values[i] = output;
    }
}

}  // namespace

void ScalarDecodeShortRun(const ShortFilterRun* runs, int32_t* const* stretches, int count, int n) {
    for (int k = 0; k < count; ++k)
        DecodeOneShortRun(runs[k], stretches[k], n);
}

}  // namespace zem
