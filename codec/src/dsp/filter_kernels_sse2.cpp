// SPDX-License-Identifier: BSD-3-Clause
// SSE2 versions: 8 lanes of 16 bits, two registers per group of 16 values.
#include "dsp/filter_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#define ZEM_SSE2 __attribute__((target("sse2")))
#elif defined(__wasm_simd128__) && defined(__SSE2__)
// WebAssembly's 128-bit vectors, through the compiler's SSE2 names (built
// with -msimd128 -msse2): the multiply-add is one dot-product instruction there.
#include <emmintrin.h>

#define ZEM_SSE2
#endif

namespace zem {

#ifdef ZEM_SSE2

namespace {

ZEM_SSE2 inline __m128i Load(const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

ZEM_SSE2 inline void Store(int16_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

ZEM_SSE2 inline int32_t HorizontalSum(__m128i v) {
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(v);
}

ZEM_SSE2 int32_t DotProduct16Sse2(const int16_t* a, const int16_t* b, int n) {
    __m128i sum0 = _mm_setzero_si128(), sum1 = _mm_setzero_si128();
    for (int i = 0; i < n; i += 16) {
        sum0 = _mm_add_epi32(sum0, _mm_madd_epi16(Load(a + i), Load(b + i)));
        sum1 = _mm_add_epi32(sum1, _mm_madd_epi16(Load(a + i + 8), Load(b + i + 8)));
    }
    return HorizontalSum(_mm_add_epi32(sum0, sum1));
}

template <bool kAdd>
ZEM_SSE2 inline __m128i Step(__m128i c, __m128i adapt) {
    return kAdd ? _mm_add_epi16(c, adapt) : _mm_sub_epi16(c, adapt);
}

template <bool kAdd>
ZEM_SSE2 void Adapt(int16_t* coefficients, const int16_t* adapt, int n) {
    for (int i = 0; i < n; i += 8)
        Store(coefficients + i, Step<kAdd>(Load(coefficients + i), Load(adapt + i)));
}

ZEM_SSE2 void AdaptCoefficients16Sse2(int16_t* coefficients, const int16_t* adapt, int direction, int n) {
    if (direction > 0)
        Adapt<true>(coefficients, adapt, n);
    else if (direction < 0)
        Adapt<false>(coefficients, adapt, n);
}

template <bool kAdd>
ZEM_SSE2 int32_t DotAdapt(int16_t* coefficients, const int16_t* history, const int16_t* adapt, int n) {
    __m128i sum0 = _mm_setzero_si128(), sum1 = _mm_setzero_si128();
    for (int i = 0; i < n; i += 16) {
        const __m128i c0 = Load(coefficients + i), c1 = Load(coefficients + i + 8);
        sum0 = _mm_add_epi32(sum0, _mm_madd_epi16(Load(history + i), c0));
        sum1 = _mm_add_epi32(sum1, _mm_madd_epi16(Load(history + i + 8), c1));
        Store(coefficients + i, Step<kAdd>(c0, Load(adapt + i)));
        Store(coefficients + i + 8, Step<kAdd>(c1, Load(adapt + i + 8)));
    }
    return HorizontalSum(_mm_add_epi32(sum0, sum1));
}

ZEM_SSE2 int32_t DotAdapt16Sse2(int16_t* coefficients, const int16_t* history, const int16_t* adapt,
                                int direction, int n) {
    if (direction > 0)
        return DotAdapt<true>(coefficients, history, adapt, n);
    if (direction < 0)
        return DotAdapt<false>(coefficients, history, adapt, n);
    return DotProduct16Sse2(history, coefficients, n);
}

}  // namespace

void FillFilterKernelsSse2(FilterKernels& kernels) {
    kernels.dotProduct16 = DotProduct16Sse2;
    kernels.adaptCoefficients16 = AdaptCoefficients16Sse2;
    kernels.dotAdapt16 = DotAdapt16Sse2;
    kernels.level = SimdLevel::Sse2;
}

#else

void FillFilterKernelsSse2(FilterKernels&) {}

#endif

}  // namespace zem
