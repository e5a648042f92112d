// AVX-512 versions: 32 lanes of 16 bits; an odd group of 16 at the end takes
// 256-bit registers. The decoder's filters keep the AVX2 kernels: they read
// the history at an offset that moves by one value a sample, so a 64-byte
// read always spans two cache lines, and measured on a processor that splits
// 512-bit work in halves, the 256-bit kernels decode faster.
#include "tessarine/codec/decode/dsp/filter_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

// GCC 12's AVX-512 helpers pass a deliberately undefined register as the
// unused merge source, which its own uninitialised-value warning then flags.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#define ZEM_AVX512 __attribute__((target("avx512f,avx512bw")))

namespace {

ZEM_AVX512 inline __m512i Load(const int16_t* p) { return _mm512_loadu_si512(p); }

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

ZEM_AVX512 inline int32_t HorizontalSum256(__m256i v) {
    __m128i s = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(1, 0, 3, 2)));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(s);
}

ZEM_AVX512 inline int32_t DotTail(const int16_t* a, const int16_t* b) {
    return HorizontalSum256(_mm256_madd_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(a)),
                                              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b))));
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
    const int32_t sum = HorizontalSum(_mm512_add_epi32(sum0, sum1));
    return i < n ? static_cast<int32_t>(static_cast<uint32_t>(sum) + static_cast<uint32_t>(DotTail(a + i, b + i)))
                 : sum;
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
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(coefficients + i));
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(adapt + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(coefficients + i),
                            kAdd ? _mm256_add_epi16(c, a) : _mm256_sub_epi16(c, a));
    }
}

ZEM_AVX512 void AdaptCoefficients16Avx512(int16_t* coefficients, const int16_t* adapt, int direction, int n) {
    if (direction > 0)
        Adapt<true>(coefficients, adapt, n);
    else if (direction < 0)
        Adapt<false>(coefficients, adapt, n);
}

}  // namespace

void FillFilterKernelsAvx512(FilterKernels& kernels) {
    kernels.dotProduct16 = DotProduct16Avx512;
    kernels.adaptCoefficients16 = AdaptCoefficients16Avx512;
    kernels.level = SimdLevel::Avx512;
}

#else

void FillFilterKernelsAvx512(FilterKernels&) {}

#endif
