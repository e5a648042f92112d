// SPDX-License-Identifier: BSD-3-Clause
// The hot loops of the adaptive filters, one scalar reference each and vector
// versions chosen at run time.
//
// A kernel table is filled in rising instruction-set order: the scalar
// references first, then every level the processor offers (and the limit
// allows) overwrites the entries it has a faster version of. A new kernel is a
// new member here, a scalar reference, and an entry in the Fill* function of
// each instruction-set file that implements it.
#pragma once

#include <cstdint>

namespace zem {

// Instruction-set levels, in rising order.
// Avx512Vnni adds the 16-bit dot-product instruction to AVX-512.
enum class SimdLevel : int { Scalar = 0, Sse2 = 1, Avx2 = 2, Avx512 = 3, Avx512Vnni = 4 };
constexpr int kSimdLevelCount = 5;

const char* SimdLevelName(SimdLevel level);

// A short filter's state (16 or 32 taps) for decoding a stretch of samples
// at once: the coefficients, and the windows of the last `order` outputs
// (saturated to 16 bits) and of their adapt values, oldest first.
struct ShortFilterRun {
    int32_t order;  // 16 or 32 (IsShortOrder)
    int16_t* coefficients;
    int16_t* history;
    int16_t* adapt;
    int32_t* average;
    int32_t shift;
    bool scaled;  // the magnitude-scaled adapt values
};

// The orders a ShortFilterRun holds in registers.
constexpr bool IsShortOrder(int32_t order) { return order == 16 || order == 32; }

// A filter of any order (a multiple of 16, at least 48) for decoding a
// stretch of samples: the coefficients, and the arrays of outputs and adapt
// values that hold `order` values of history behind the write position and
// roll back to it after `window` more (the newest values move to the front).
// Beside the adapt values lie their negations and zeros, in arrays of the
// same layout: a coefficient step adds the one of the three that its
// direction picks (StepSource), one instruction where a select would be two.
struct FilterRun {
    int16_t* coefficients;
    int16_t* history;
    int16_t* adapt;
    int16_t* negatedAdapt;  // kept by the kernel as -adapt, rolled with it
    const int16_t* zeros;   // at least order + window zeros
    int32_t* position;
    int32_t order;
    int32_t window;
    int32_t* average;
    int32_t shift;
    bool scaled;
};

// The array whose values a coefficient step with this direction (-1, 0 or 1)
// adds: the negated adapt values, zeros or the adapt values. An index, not a
// branch: the direction follows the residual's sign, which is as good as random.
inline const int16_t* StepSource(const FilterRun& run, int direction) {
    const int16_t* const sources[3] = {run.negatedAdapt, run.zeros, run.adapt};
    return sources[direction + 1];
}

struct FilterKernels {
    // Sum of a[i] * b[i] for i < n in wrapping 32-bit arithmetic; n is a
    // multiple of 16.
    int32_t (*dotProduct16)(const int16_t* a, const int16_t* b, int n);
    // coefficients[i] += adapt[i] when direction > 0, -= when direction < 0,
    // nothing when 0; 16-bit wrapping; n is a multiple of 16.
    void (*adaptCoefficients16)(int16_t* coefficients, const int16_t* adapt, int direction, int n);
    // dotProduct16(history, coefficients, n) with the coefficients as they
    // were, then adaptCoefficients16(coefficients, adapt, direction, n), in one
    // pass over the coefficients.
    int32_t (*dotAdapt16)(int16_t* coefficients, const int16_t* history, const int16_t* adapt, int direction,
                          int n);
    // A short filter's Decode over values[0..n), in place, with its state
    // kept in registers for the whole stretch: `count` (1 or 2) independent
    // filters of one order side by side, runs[k] over values[k].
    void (*decodeShortRun)(const ShortFilterRun* runs, int32_t* const* values, int count, int n);
    // The filter's Decode over values[0..n), in place. The newest 16 values of
    // both arrays stay in registers, so that no read of an array waits for a
    // store just made. Null where the per-sample Decode is as fast.
    void (*decodeRun)(const FilterRun& run, int32_t* values, int n);
    SimdLevel level;  // the highest level that filled an entry
};

// Scalar references; they define the results every other version must match.
int32_t ScalarDotProduct16(const int16_t* a, const int16_t* b, int n);
void ScalarAdaptCoefficients16(int16_t* coefficients, const int16_t* adapt, int direction, int n);
int32_t ScalarDotAdapt16(int16_t* coefficients, const int16_t* history, const int16_t* adapt, int direction,
                         int n);

void ScalarDecodeShortRun(const ShortFilterRun* runs, int32_t* const* values, int count, int n);

// Each overwrites the entries it implements; no-ops on other processors.
void FillFilterKernelsSse2(FilterKernels& kernels);
void FillFilterKernelsAvx2(FilterKernels& kernels);
void FillFilterKernelsAvx512(FilterKernels& kernels);
void FillFilterKernelsAvx512Vnni(FilterKernels& kernels);

// The table for min(level, what this processor offers).
const FilterKernels& FilterKernelsUpTo(SimdLevel level);
// The table new filters take: the machine's best, unless limited. The limit
// starts from the environment variable ZEM_SIMD ("scalar", "sse2", "avx2",
// "avx512", "avx512vnni"); SetSimdLimit overrides it for filters built afterwards.
const FilterKernels& ActiveFilterKernels();
void SetSimdLimit(SimdLevel level);
SimdLevel SimdLimit();

// The kernels through the active table.
int32_t DotProduct16(const int16_t* a, const int16_t* b, int n);
void AdaptCoefficients16(int16_t* coefficients, const int16_t* adapt, int direction, int n);

}  // namespace zem
