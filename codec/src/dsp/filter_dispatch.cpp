// SPDX-License-Identifier: BSD-3-Clause
// Kernel tables by instruction-set level, and the limit that chooses among them.
#include "dsp/cpu_features.h"
#include "dsp/filter_kernels.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace zem {

namespace {

using FillFunction = void (*)(FilterKernels&);

// Index i fills the entries of SimdLevel i; scalar is the starting table.
constexpr FillFunction kFillByLevel[kSimdLevelCount] = {nullptr, FillFilterKernelsSse2, FillFilterKernelsAvx2,
                                                        FillFilterKernelsAvx512, FillFilterKernelsAvx512Vnni};

FilterKernels BuildTable(SimdLevel limit) {
    FilterKernels kernels = {ScalarDotProduct16, ScalarAdaptCoefficients16, ScalarDotAdapt16, ScalarDecodeShortRun,
                             nullptr, SimdLevel::Scalar};
    for (int level = 1; level <= static_cast<int>(limit); ++level)
        kFillByLevel[level](kernels);
    return kernels;
}

// One table per level, each capped at what this processor offers.
const std::array<FilterKernels, kSimdLevelCount>& Tables() {
    static const std::array<FilterKernels, kSimdLevelCount> tables = [] {
        const int machine = static_cast<int>(MachineSimdLevel());
        std::array<FilterKernels, kSimdLevelCount> built{};
        for (int level = 0; level < kSimdLevelCount; ++level)
            built[level] = BuildTable(static_cast<SimdLevel>(level < machine ? level : machine));
        return built;
    }();
    return tables;
}

SimdLevel LimitFromEnvironment() {
    const char* text = std::getenv("ZEM_SIMD");
    if (text) {
        for (int level = 0; level < kSimdLevelCount; ++level) {
            if (std::strcmp(text, SimdLevelName(static_cast<SimdLevel>(level))) == 0)
                return static_cast<SimdLevel>(level);
        }
    }
    return SimdLevel::Avx512Vnni;
}

std::atomic<int>& Limit() {
    static std::atomic<int> limit{static_cast<int>(LimitFromEnvironment())};
    return limit;
}

}  // namespace

const char* SimdLevelName(SimdLevel level) {
    static const char* const names[kSimdLevelCount] = {"scalar", "sse2", "avx2", "avx512", "avx512vnni"};
    const int index = static_cast<int>(level);
    return index >= 0 && index < kSimdLevelCount ? names[index] : "unknown";
}

const FilterKernels& FilterKernelsUpTo(SimdLevel level) {
    int index = static_cast<int>(level);
    index = index < 0 ? 0 : (index >= kSimdLevelCount ? kSimdLevelCount - 1 : index);
    return Tables()[index];
}

const FilterKernels& ActiveFilterKernels() { return FilterKernelsUpTo(SimdLimit()); }

void SetSimdLimit(SimdLevel level) { Limit().store(static_cast<int>(level)); }

SimdLevel SimdLimit() { return static_cast<SimdLevel>(Limit().load()); }

int32_t DotProduct16(const int16_t* a, const int16_t* b, int n) {
    return ActiveFilterKernels().dotProduct16(a, b, n);
}

void AdaptCoefficients16(int16_t* coefficients, const int16_t* adapt, int direction, int n) {
    ActiveFilterKernels().adaptCoefficients16(coefficients, adapt, direction, n);
}

}  // namespace zem
