// AVX2 versions: 16 lanes of 16 bits, one register per group of 16 values.
#include "tessarine/codec/decode/dsp/filter_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "tessarine/codec/decode/dsp/newest_window_avx2.h"

#define ZEM_AVX2 __attribute__((target("avx2")))

namespace {

ZEM_AVX2 inline __m256i Load(const int16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

ZEM_AVX2 inline void Store(int16_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

ZEM_AVX2 inline int32_t HorizontalSum(__m256i v) {
    __m128i s = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(1, 0, 3, 2)));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(s);
}

ZEM_AVX2 int32_t DotProduct16Avx2(const int16_t* a, const int16_t* b, int n) {
    __m256i sum0 = _mm256_setzero_si256(), sum1 = _mm256_setzero_si256();
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        sum0 = _mm256_add_epi32(sum0, _mm256_madd_epi16(Load(a + i), Load(b + i)));
        sum1 = _mm256_add_epi32(sum1, _mm256_madd_epi16(Load(a + i + 16), Load(b + i + 16)));
    }
    if (i < n)
        sum0 = _mm256_add_epi32(sum0, _mm256_madd_epi16(Load(a + i), Load(b + i)));
    return HorizontalSum(_mm256_add_epi32(sum0, sum1));
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
    return HorizontalSum(_mm256_add_epi32(sum0, sum1));
}


ZEM_AVX2 void DecodeRun16Avx2(const FilterRun16& run, int32_t* values, int n) {
    __m256i coefficients = Load(run.coefficients), history = Load(run.history), adapt = Load(run.adapt);
    const __m256i decay = LaneMask(DecayLanes(run.scaled));
    int32_t average = *run.average;
    for (int i = 0; i < n; ++i) {
        const int32_t input = values[i];
        const int32_t dot = HorizontalSum(_mm256_madd_epi16(history, coefficients));
        const __m256i direction = _mm256_set1_epi16(static_cast<int16_t>(AdaptDirection(input)));
        coefficients = StepBy(coefficients, adapt, direction);
        const int32_t output = WrapAdd(input, RoundingShift(dot, run.shift));
        history = MoveWindow(history, SaturateInt16(output));
        adapt = MoveWindow(adapt, NextAdaptValue(output, average, run.scaled));
        adapt = _mm256_blendv_epi8(adapt, _mm256_srai_epi16(adapt, 1), decay);
        values[i] = output;
    }
    Store(run.coefficients, coefficients);
    Store(run.history, history);
    Store(run.adapt, adapt);
    *run.average = average;
}


ZEM_AVX2 void DecodeRunAvx2(const FilterRun& run, int32_t* values, int n) {
    newest_window::Newest w = newest_window::Open(run);
    for (int i = 0; i < n; ++i) {
        // The older values were all written at least nine samples ago.
        const int32_t olderSum = run.dotAdaptOlder(run.coefficients, run.history + w.position - run.order,
                                                   run.adapt + w.position - run.order, AdaptDirection(values[i]),
                                                   run.order - 16);
        values[i] = newest_window::Finish(run, w, values[i], olderSum);
    }
    newest_window::Close(run, w);
}

}  // namespace

void FillFilterKernelsAvx2(FilterKernels& kernels) {
    kernels.dotProduct16 = DotProduct16Avx2;
    kernels.adaptCoefficients16 = AdaptCoefficients16Avx2;
    kernels.dotAdapt16 = DotAdapt16Avx2;
    kernels.decodeRun16 = DecodeRun16Avx2;
    kernels.decodeRun = DecodeRunAvx2;
    kernels.level = SimdLevel::Avx2;
}

#else

void FillFilterKernelsAvx2(FilterKernels&) {}

#endif
