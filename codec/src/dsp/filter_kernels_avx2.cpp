// SPDX-License-Identifier: BSD-3-Clause
// AVX2 versions: 16 lanes of 16 bits, one register per group of 16 values.
#include "dsp/filter_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "dsp/newest_window_avx2.h"
#endif

namespace zem {

#if defined(__x86_64__) || defined(__i386__)

#define ZEM_AVX2 __attribute__((target("avx2")))

namespace {

using newest_window::Load;
using newest_window::Store;
using newest_window::Sum;

ZEM_AVX2 int32_t DotProduct16Avx2(const int16_t* a, const int16_t* b, int n) {
    __m256i sum0 = _mm256_setzero_si256(), sum1 = _mm256_setzero_si256();
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        sum0 = _mm256_add_epi32(sum0, _mm256_madd_epi16(Load(a + i), Load(b + i)));
        sum1 = _mm256_add_epi32(sum1, _mm256_madd_epi16(Load(a + i + 16), Load(b + i + 16)));
    }
    if (i < n)
        sum0 = _mm256_add_epi32(sum0, _mm256_madd_epi16(Load(a + i), Load(b + i)));
    return Sum(_mm256_add_epi32(sum0, sum1));
}

template <bool kAdd>
ZEM_AVX2 inline __m256i Step(__m256i c, __m256i adapt) {
    return kAdd ? _mm256_add_epi16(c, adapt) : _mm256_sub_epi16(c, adapt);
}

template <bool kAdd>
ZEM_AVX2 void Adapt(int16_t* coefficients, const int16_t* adapt, int n) {
    for (int i = 0; i < n; i += 16)
        Store(coefficients + i, Step<kAdd>(Load(coefficients + i), Load(adapt + i)));
}

ZEM_AVX2 void AdaptCoefficients16Avx2(int16_t* coefficients, const int16_t* adapt, int direction, int n) {
    if (direction > 0)
        Adapt<true>(coefficients, adapt, n);
    else if (direction < 0)
        Adapt<false>(coefficients, adapt, n);
}

using newest_window::LaneMask;
using newest_window::MoveWindow;
using newest_window::StepBy;

ZEM_AVX2 int32_t DotAdapt16Avx2(int16_t* coefficients, const int16_t* history, const int16_t* adapt,
                                int direction, int n) {
    const __m256i sign = _mm256_set1_epi16(static_cast<int16_t>((direction > 0) - (direction < 0)));
    __m256i sum0 = _mm256_setzero_si256(), sum1 = _mm256_setzero_si256();
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i c0 = Load(coefficients + i), c1 = Load(coefficients + i + 16);
        sum0 = _mm256_add_epi32(sum0, _mm256_madd_epi16(Load(history + i), c0));
        sum1 = _mm256_add_epi32(sum1, _mm256_madd_epi16(Load(history + i + 16), c1));
        Store(coefficients + i, StepBy(c0, Load(adapt + i), sign));
        Store(coefficients + i + 16, StepBy(c1, Load(adapt + i + 16), sign));
    }
    if (i < n) {
        const __m256i c0 = Load(coefficients + i);
        sum0 = _mm256_add_epi32(sum0, _mm256_madd_epi16(Load(history + i), c0));
        Store(coefficients + i, StepBy(c0, Load(adapt + i), sign));
    }
    return Sum(_mm256_add_epi32(sum0, sum1));
}


// A short filter held in registers: the newest 16 taps, and for 32 taps
// (kOlder) the 16 before them, whose windows each step moves on by the
// value that leaves the newest window.
struct ShortRegisters {
    __m256i coefficients;
    newest_window::RecentOutputs history;
    __m256i adapt;
    __m256i olderCoefficients;
    __m256i olderHistory;
    __m256i olderAdapt;
    int32_t average;
};

template <bool kOlder>
ZEM_AVX2 inline ShortRegisters OpenShort(const ShortFilterRun& run) {
    const int newest = kOlder ? 16 : 0;
    const __m256i zero = _mm256_setzero_si256();
    return {Load(run.coefficients + newest),
            newest_window::LoadRecent(run.history + newest),
            Load(run.adapt + newest),
            kOlder ? Load(run.coefficients) : zero,
            kOlder ? Load(run.history) : zero,
            kOlder ? Load(run.adapt) : zero,
            *run.average};
}

template <bool kOlder>
ZEM_AVX2 inline void CloseShort(const ShortFilterRun& run, const ShortRegisters& r) {
    const int newest = kOlder ? 16 : 0;
    Store(run.coefficients + newest, r.coefficients);
    newest_window::StoreRecent(run.history + newest, r.history);
    Store(run.adapt + newest, r.adapt);
    if (kOlder) {
        Store(run.coefficients, r.olderCoefficients);
        Store(run.history, r.olderHistory);
        Store(run.adapt, r.olderAdapt);
    }
    *run.average = r.average;
}

template <bool kOlder>
ZEM_AVX2 inline int32_t StepShort(const ShortFilterRun& run, ShortRegisters& r, __m256i decay, int32_t input) {
    const __m256i olderProducts =
        kOlder ? _mm256_madd_epi16(r.olderHistory, r.olderCoefficients) : _mm256_setzero_si256();
    const int32_t dot = static_cast<int32_t>(newest_window::WindowSum(r.history, r.coefficients, olderProducts));
    const __m256i direction = newest_window::Direction(AdaptDirection(input));
    r.coefficients = StepBy(r.coefficients, r.adapt, direction);
    const int32_t output = WrapAdd(input, RoundingShift(dot, run.shift));
    if (kOlder) {
        r.olderCoefficients = StepBy(r.olderCoefficients, r.olderAdapt, direction);
        r.olderHistory = newest_window::OneOn(r.olderHistory, r.history.older);
        r.olderAdapt = newest_window::OneOn(r.olderAdapt, r.adapt);
    }
    newest_window::PushRecent(r.history, SaturateInt16(output));
    r.adapt = MoveWindow(r.adapt, NextAdaptValue(output, r.average, run.scaled));
    r.adapt = _mm256_blendv_epi8(r.adapt, _mm256_srai_epi16(r.adapt, 1), decay);
    return output;
}

// Two filters side by side: their steps are independent chains, which the
// processor runs at the same time.
template <bool kOlder>
ZEM_AVX2 void DecodeShortRuns(const ShortFilterRun* runs, int32_t* const* values, int count, int n) {
    const __m256i decay0 = LaneMask(DecayLanes(runs[0].scaled));
    ShortRegisters first = OpenShort<kOlder>(runs[0]);
    if (count == 1) {
        for (int i = 0; i < n; ++i)
            values[0][i] = StepShort<kOlder>(runs[0], first, decay0, values[0][i]);
        CloseShort<kOlder>(runs[0], first);
        return;
    }
    const __m256i decay1 = LaneMask(DecayLanes(runs[1].scaled));
    ShortRegisters second = OpenShort<kOlder>(runs[1]);
    for (int i = 0; i < n; ++i) {
        values[0][i] = StepShort<kOlder>(runs[0], first, decay0, values[0][i]);
        values[1][i] = StepShort<kOlder>(runs[1], second, decay1, values[1][i]);
    }
    CloseShort<kOlder>(runs[0], first);
    CloseShort<kOlder>(runs[1], second);
}

ZEM_AVX2 void DecodeShortRunAvx2(const ShortFilterRun* runs, int32_t* const* values, int count, int n) {
    if (runs[0].order == 32)
        DecodeShortRuns<true>(runs, values, count, n);
    else
        DecodeShortRuns<false>(runs, values, count, n);
}

// The sums over the older values of two samples in one pass over the
// coefficients. Both directions are known from the inputs, so the second
// sample's sum takes the coefficients as the first moves them, and the
// coefficients are read and stored once for both.
ZEM_AVX2 inline newest_window::PairSums DotAdaptOlderPair(int16_t* coefficients, const int16_t* history,
                                                          const int16_t* firstStep, const int16_t* secondStep,
                                                          int n) {
    __m256i sum0 = _mm256_setzero_si256(), sum1 = _mm256_setzero_si256();
    for (int i = 0; i < n; i += 16) {
        const __m256i c = Load(coefficients + i);
        sum0 = _mm256_add_epi32(sum0, _mm256_madd_epi16(Load(history + i), c));
        const __m256i moved = _mm256_add_epi16(c, Load(firstStep + i));
        sum1 = _mm256_add_epi32(sum1, _mm256_madd_epi16(Load(history + i + 1), moved));
        Store(coefficients + i, _mm256_add_epi16(moved, Load(secondStep + i)));
    }
    return {static_cast<uint32_t>(Sum(sum0)), static_cast<uint32_t>(Sum(sum1))};
}

ZEM_AVX2 void DecodeRunAvx2(const FilterRun& run, int32_t* values, int n) {
    newest_window::DecodeRun<DotAdaptOlderPair, DotAdapt16Avx2>(run, values, n);
}

}  // namespace

void FillFilterKernelsAvx2(FilterKernels& kernels) {
    kernels.dotProduct16 = DotProduct16Avx2;
    kernels.adaptCoefficients16 = AdaptCoefficients16Avx2;
    kernels.dotAdapt16 = DotAdapt16Avx2;
    kernels.decodeShortRun = DecodeShortRunAvx2;
    kernels.decodeRun = DecodeRunAvx2;
    kernels.level = SimdLevel::Avx2;
}

#else

void FillFilterKernelsAvx2(FilterKernels&) {}

#endif

}  // namespace zem
