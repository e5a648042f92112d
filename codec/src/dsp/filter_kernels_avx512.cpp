// SPDX-License-Identifier: BSD-3-Clause
// AVX-512 versions: 32 lanes of 16 bits; an odd group of 16 at the end takes
// 256-bit registers. The run kernel's pair pass reads the second sample's
// values, one further on, straight from memory: most of its reads span two
// cache lines either way, and a permute in their place would compete with
// the multiply-adds for the same execution ports.
#include "dsp/filter_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "dsp/newest_window_avx2.h"
#endif

namespace zem {

#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 helpers pass a deliberately undefined register as the
// unused merge source, which its own uninitialised-value warning then flags.
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define ZEM_AVX512 __attribute__((target("avx512f,avx512bw")))
#define ZEM_AVX512_VNNI __attribute__((target("avx512f,avx512bw,avx512vnni")))

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

// The coefficient moves of one sample: the lanes that add the adapt values
// and the lanes that subtract them (all or none of each, by the direction).
struct Moves {
    __mmask32 add;
    __mmask32 subtract;
    __m256i sign;  // the same as a sign vector, for a group of 16
};

// Masks from arithmetic, not selects: the direction follows the residual's
// sign, which is as good as random, and compilers branch on such selects.
ZEM_AVX512 inline Moves MovesFor(int direction) {
    return {_cvtu32_mask32(0u - static_cast<uint32_t>(direction > 0)),
            _cvtu32_mask32(0u - static_cast<uint32_t>(direction < 0)), newest_window::Direction(direction)};
}

ZEM_AVX512 inline __m512i StepBy(__m512i c, __m512i adapt, const Moves& moves) {
    const __m512i added = _mm512_mask_add_epi16(c, moves.add, c, adapt);
    return _mm512_mask_sub_epi16(added, moves.subtract, added, adapt);
}

struct PairAccumulators {
    __m512i first;
    __m512i second;
};

// Both accumulators summed in one fold: their halves are added pairwise
// until 128-bit lane 0 holds the first sum and lane 2 the second.
ZEM_AVX512 inline newest_window::PairSums SumPair(__m512i first, __m512i second) {
    __m512i v = _mm512_add_epi32(_mm512_shuffle_i64x2(first, second, _MM_SHUFFLE(1, 0, 1, 0)),
                                 _mm512_shuffle_i64x2(first, second, _MM_SHUFFLE(3, 2, 3, 2)));
    v = _mm512_add_epi32(v, _mm512_shuffle_i64x2(v, v, _MM_SHUFFLE(2, 3, 0, 1)));
    v = _mm512_add_epi32(v, _mm512_shuffle_epi32(v, _MM_PERM_BADC));
    v = _mm512_add_epi32(v, _mm512_shuffle_epi32(v, _MM_PERM_CDAB));
    return {static_cast<uint32_t>(_mm_cvtsi128_si32(_mm512_castsi512_si128(v))),
            static_cast<uint32_t>(_mm_cvtsi128_si32(_mm512_extracti32x4_epi32(v, 2)))};
}

// The last group of 16 of a pair pass, if any, from `i` on.
ZEM_AVX512 inline void PairTail(int16_t* coefficients, const int16_t* history, const int16_t* firstStep,
                                const int16_t* secondStep, int i, int n, PairAccumulators& sums) {
    if (i >= n)
        return;
    const __m256i c = newest_window::Load(coefficients + i);
    const __m256i moved = _mm256_add_epi16(c, newest_window::Load(firstStep + i));
    sums.first = _mm512_add_epi32(sums.first,
                                  _mm512_zextsi256_si512(_mm256_madd_epi16(newest_window::Load(history + i), c)));
    sums.second = _mm512_add_epi32(
        sums.second, _mm512_zextsi256_si512(_mm256_madd_epi16(newest_window::Load(history + i + 1), moved)));
    newest_window::Store(coefficients + i, _mm256_add_epi16(moved, newest_window::Load(secondStep + i)));
}

// The pair pass (see the AVX2 kernel) over groups of 32. No read reaches
// the newest 16 values, which the run kernel has just stored one at a time.
// The coefficients sit on 64-byte boundaries.
ZEM_AVX512 newest_window::PairSums DotAdaptOlderPair512(int16_t* coefficients, const int16_t* history,
                                                       const int16_t* firstStep, const int16_t* secondStep,
                                                       int n) {
    PairAccumulators sums = {_mm512_setzero_si512(), _mm512_setzero_si512()};
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m512i c = _mm512_load_si512(coefficients + i);
        sums.first = _mm512_add_epi32(sums.first, _mm512_madd_epi16(Load(history + i), c));
        const __m512i moved = _mm512_add_epi16(c, Load(firstStep + i));
        sums.second = _mm512_add_epi32(sums.second, _mm512_madd_epi16(Load(history + i + 1), moved));
        _mm512_store_si512(coefficients + i, _mm512_add_epi16(moved, Load(secondStep + i)));
    }
    PairTail(coefficients, history, firstStep, secondStep, i, n, sums);
    return SumPair(sums.first, sums.second);
}

// The pair pass with the dot-product instruction, which multiplies, adds the
// pairs and accumulates (wrapping) in one step.
ZEM_AVX512_VNNI newest_window::PairSums DotAdaptOlderPairVnni(int16_t* coefficients, const int16_t* history,
                                                             const int16_t* firstStep, const int16_t* secondStep,
                                                             int n) {
    PairAccumulators sums = {_mm512_setzero_si512(), _mm512_setzero_si512()};
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m512i c = _mm512_load_si512(coefficients + i);
        sums.first = _mm512_dpwssd_epi32(sums.first, Load(history + i), c);
        const __m512i moved = _mm512_add_epi16(c, Load(firstStep + i));
        sums.second = _mm512_dpwssd_epi32(sums.second, Load(history + i + 1), moved);
        _mm512_store_si512(coefficients + i, _mm512_add_epi16(moved, Load(secondStep + i)));
    }
    PairTail(coefficients, history, firstStep, secondStep, i, n, sums);
    return SumPair(sums.first, sums.second);
}

// One sample: the pair pass's first half.
ZEM_AVX512 int32_t DotAdapt16Avx512(int16_t* coefficients, const int16_t* history, const int16_t* adapt,
                                    int direction, int n) {
    const Moves moves = MovesFor(direction);
    __m512i sum = _mm512_setzero_si512();
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m512i c = _mm512_load_si512(coefficients + i);
        sum = _mm512_add_epi32(sum, _mm512_madd_epi16(Load(history + i), c));
        _mm512_store_si512(coefficients + i, StepBy(c, Load(adapt + i), moves));
    }
    uint32_t total = static_cast<uint32_t>(HorizontalSum(sum));
    if (i < n) {
        const __m256i c = newest_window::Load(coefficients + i);
        total += static_cast<uint32_t>(HorizontalSum256(_mm256_madd_epi16(newest_window::Load(history + i), c)));
        newest_window::Store(coefficients + i,
                             newest_window::StepBy(c, newest_window::Load(adapt + i), moves.sign));
    }
    return static_cast<int32_t>(total);
}

ZEM_AVX512 void DecodeRunAvx512(const FilterRun& run, int32_t* values, int n) {
    newest_window::DecodeRun<DotAdaptOlderPair512, DotAdapt16Avx512>(run, values, n);
}

ZEM_AVX512_VNNI void DecodeRunAvx512Vnni(const FilterRun& run, int32_t* values, int n) {
    newest_window::DecodeRun<DotAdaptOlderPairVnni, DotAdapt16Avx512>(run, values, n);
}

}  // namespace

void FillFilterKernelsAvx512(FilterKernels& kernels) {
    kernels.dotProduct16 = DotProduct16Avx512;
    kernels.adaptCoefficients16 = AdaptCoefficients16Avx512;
    kernels.decodeRun = DecodeRunAvx512;
    kernels.level = SimdLevel::Avx512;
}

void FillFilterKernelsAvx512Vnni(FilterKernels& kernels) {
    kernels.decodeRun = DecodeRunAvx512Vnni;
    kernels.level = SimdLevel::Avx512Vnni;
}

#else

void FillFilterKernelsAvx512(FilterKernels&) {}
void FillFilterKernelsAvx512Vnni(FilterKernels&) {}

#endif

}  // namespace zem
