// AVX-512 versions: 32 lanes of 16 bits; an odd group of 16 at the end takes
// the lower half through a masked load.
#include "tessarine/codec/decode/dsp/filter_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

// GCC 12's AVX-512 helpers pass a deliberately undefined register as the
// unused merge source, which its own uninitialised-value warning then flags.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#define ZEM_AVX512 __attribute__((target("avx512f,avx512bw")))

namespace {

constexpr __mmask32 kLowHalf = 0xFFFFu;

ZEM_AVX512 inline __m512i Load(const int16_t* p) { return _mm512_loadu_si512(p); }

ZEM_AVX512 inline __m512i LoadLowHalf(const int16_t* p) { return _mm512_maskz_loadu_epi16(kLowHalf, p); }

ZEM_AVX512 inline void Store(int16_t* p, __m512i v) { _mm512_storeu_si512(p, v); }

// By vector adds: the library's reduce helper ends in signed scalar adds,
// which may overflow where the lanes must wrap.
ZEM_AVX512 inline int32_t HorizontalSum(__m512i v) {
    v = _mm512_add_epi32(v, _mm512_shuffle_i64x2(v, v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm512_add_epi32(v, _mm512_shuffle_i64x2(v, v, _MM_SHUFFLE(2, 3, 0, 1)));
    __m128i s = _mm512_castsi512_si128(v);
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(1, 0, 3, 2)));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(s);
}

ZEM_AVX512 int32_t DotProduct16Avx512(const int16_t* a, const int16_t* b, int n) {
    __m512i sum0 = _mm512_setzero_si512(), sum1 = _mm512_setzero_si512();
    int i = 0;
    for (; i + 64 <= n; i += 64) {
        sum0 = _mm512_add_epi32(sum0, _mm512_madd_epi16(Load(a + i), Load(b + i)));
        sum1 = _mm512_add_epi32(sum1, _mm512_madd_epi16(Load(a + i + 32), Load(b + i + 32)));
    }
    if (i + 32 <= n) {
        sum0 = _mm512_add_epi32(sum0, _mm512_madd_epi16(Load(a + i), Load(b + i)));
        i += 32;
    }
    if (i < n)
        sum1 = _mm512_add_epi32(sum1, _mm512_madd_epi16(LoadLowHalf(a + i), LoadLowHalf(b + i)));
    return HorizontalSum(_mm512_add_epi32(sum0, sum1));
}

template <bool kAdd>
ZEM_AVX512 inline __m512i Step(__m512i c, __m512i adapt) {
    return kAdd ? _mm512_add_epi16(c, adapt) : _mm512_sub_epi16(c, adapt);
}

template <bool kAdd>
ZEM_AVX512 void Adapt(int16_t* coefficients, const int16_t* adapt, int n) {
    int i = 0;
    for (; i + 32 <= n; i += 32)
        Store(coefficients + i, Step<kAdd>(Load(coefficients + i), Load(adapt + i)));
    if (i < n) {
        const __m512i c = Step<kAdd>(LoadLowHalf(coefficients + i), LoadLowHalf(adapt + i));
        _mm512_mask_storeu_epi16(coefficients + i, kLowHalf, c);
    }
}

ZEM_AVX512 void AdaptCoefficients16Avx512(int16_t* coefficients, const int16_t* adapt, int direction, int n) {
    if (direction > 0)
        Adapt<true>(coefficients, adapt, n);
    else if (direction < 0)
        Adapt<false>(coefficients, adapt, n);
}

// One group of 32 (or, masked, 16) taps: accumulate with the old
// coefficients, then store the adapted ones.
template <bool kAdd>
ZEM_AVX512 inline __m512i DotAdaptGroup(__m512i sum, int16_t* coefficients, const int16_t* history,
                                        const int16_t* adapt, __mmask32 mask) {
    const __m512i c = _mm512_maskz_loadu_epi16(mask, coefficients);
    sum = _mm512_add_epi32(sum, _mm512_madd_epi16(_mm512_maskz_loadu_epi16(mask, history), c));
    _mm512_mask_storeu_epi16(coefficients, mask, Step<kAdd>(c, _mm512_maskz_loadu_epi16(mask, adapt)));
    return sum;
}

template <bool kAdd>
ZEM_AVX512 int32_t DotAdapt(int16_t* coefficients, const int16_t* history, const int16_t* adapt, int n) {
    __m512i sum0 = _mm512_setzero_si512(), sum1 = _mm512_setzero_si512();
    int i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m512i c0 = Load(coefficients + i), c1 = Load(coefficients + i + 32);
        sum0 = _mm512_add_epi32(sum0, _mm512_madd_epi16(Load(history + i), c0));
        sum1 = _mm512_add_epi32(sum1, _mm512_madd_epi16(Load(history + i + 32), c1));
        Store(coefficients + i, Step<kAdd>(c0, Load(adapt + i)));
        Store(coefficients + i + 32, Step<kAdd>(c1, Load(adapt + i + 32)));
    }
    if (i + 32 <= n) {
        sum0 = DotAdaptGroup<kAdd>(sum0, coefficients + i, history + i, adapt + i, ~__mmask32(0));
        i += 32;
    }
    if (i < n)
        sum1 = DotAdaptGroup<kAdd>(sum1, coefficients + i, history + i, adapt + i, kLowHalf);
    return HorizontalSum(_mm512_add_epi32(sum0, sum1));
}

ZEM_AVX512 int32_t DotAdapt16Avx512(int16_t* coefficients, const int16_t* history, const int16_t* adapt,
                                    int direction, int n) {
    if (direction > 0)
        return DotAdapt<true>(coefficients, history, adapt, n);
    if (direction < 0)
        return DotAdapt<false>(coefficients, history, adapt, n);
    return DotProduct16Avx512(history, coefficients, n);
}

}  // namespace

void FillFilterKernelsAvx512(FilterKernels& kernels) {
    kernels.dotProduct16 = DotProduct16Avx512;
    kernels.adaptCoefficients16 = AdaptCoefficients16Avx512;
    kernels.dotAdapt16 = DotAdapt16Avx512;
    kernels.level = SimdLevel::Avx512;
}

#else

void FillFilterKernelsAvx512(FilterKernels&) {}

#endif
