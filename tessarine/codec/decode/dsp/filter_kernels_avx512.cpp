// AVX-512 versions: 32 lanes of 16 bits; an odd group of 16 at the end takes
// 256-bit registers.
#include "tessarine/codec/decode/dsp/filter_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "tessarine/codec/decode/dsp/newest_window_avx2.h"

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

// The update direction as lane masks and as a vector of its sign, so that
// no branch follows the residuals' signs, which cannot be predicted.
struct Direction {
    __mmask32 add;
    __mmask32 subtract;
    __m256i sign;  // for the 256-bit tail
};

ZEM_AVX512 inline Direction DirectionOf(int direction) {
    return {direction > 0 ? ~__mmask32(0) : __mmask32(0), direction < 0 ? ~__mmask32(0) : __mmask32(0),
            _mm256_set1_epi16(static_cast<int16_t>((direction > 0) - (direction < 0)))};
}

ZEM_AVX512 inline __m512i StepBy(__m512i c, __m512i adapt, const Direction& d) {
    return _mm512_mask_sub_epi16(_mm512_mask_add_epi16(c, d.add, c, adapt), d.subtract, c, adapt);
}

// One group of 32 taps: accumulate with the old coefficients, then store the
// adapted ones.
ZEM_AVX512 inline __m512i DotAdaptGroup(__m512i sum, int16_t* coefficients, const int16_t* history,
                                        const int16_t* adapt, const Direction& d) {
    const __m512i c = Load(coefficients);
    sum = _mm512_add_epi32(sum, _mm512_madd_epi16(Load(history), c));
    Store(coefficients, StepBy(c, Load(adapt), d));
    return sum;
}

// The last 16 taps of an odd count take 256-bit registers: cheaper than a
// masked 512-bit pass, which matters most for the 16-tap filter.
ZEM_AVX512 inline int32_t DotAdaptTail(int16_t* coefficients, const int16_t* history, const int16_t* adapt,
                                       const Direction& d) {
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(coefficients));
    const __m256i h = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(history));
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(adapt));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(coefficients), _mm256_add_epi16(c, _mm256_sign_epi16(a, d.sign)));
    return HorizontalSum256(_mm256_madd_epi16(h, c));
}

ZEM_AVX512 int32_t DotAdapt16Avx512(int16_t* coefficients, const int16_t* history, const int16_t* adapt,
                                    int direction, int n) {
    const Direction d = DirectionOf(direction);
    __m512i sum0 = _mm512_setzero_si512(), sum1 = _mm512_setzero_si512();
    int i = 0;
    for (; i + 64 <= n; i += 64) {
        sum0 = DotAdaptGroup(sum0, coefficients + i, history + i, adapt + i, d);
        sum1 = DotAdaptGroup(sum1, coefficients + i + 32, history + i + 32, adapt + i + 32, d);
    }
    if (i + 32 <= n) {
        sum0 = DotAdaptGroup(sum0, coefficients + i, history + i, adapt + i, d);
        i += 32;
    }
    const int32_t sum = HorizontalSum(_mm512_add_epi32(sum0, sum1));
    if (i == n)
        return sum;
    const int32_t tail = DotAdaptTail(coefficients + i, history + i, adapt + i, d);
    return static_cast<int32_t>(static_cast<uint32_t>(sum) + static_cast<uint32_t>(tail));
}

// The sums over the older values of two samples in one pass over the
// coefficients. The directions of both are known from their inputs, so the
// second sample's sum takes the coefficients as the first moves them, and
// the coefficients are stored once, moved by both.
struct PairSums {
    int32_t first;
    int32_t second;
};

ZEM_AVX512 inline PairSums DotAdaptOlderPair(int16_t* coefficients, const int16_t* history, const int16_t* adapt,
                                             int n, const Direction& first, const Direction& second) {
    __m512i sum0 = _mm512_setzero_si512(), sum1 = _mm512_setzero_si512();
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m512i c = Load(coefficients + i);
        sum0 = _mm512_add_epi32(sum0, _mm512_madd_epi16(Load(history + i), c));
        const __m512i moved = StepBy(c, Load(adapt + i), first);
        sum1 = _mm512_add_epi32(sum1, _mm512_madd_epi16(Load(history + i + 1), moved));
        Store(coefficients + i, StepBy(moved, Load(adapt + i + 1), second));
    }
    PairSums sums = {HorizontalSum(sum0), HorizontalSum(sum1)};
    if (i < n) {
        const __m256i c = newest_window::Load(coefficients + i);
        const __m256i moved = newest_window::StepBy(c, newest_window::Load(adapt + i), first.sign);
        sums.first = WrapAdd(sums.first, HorizontalSum256(_mm256_madd_epi16(newest_window::Load(history + i), c)));
        sums.second =
            WrapAdd(sums.second, HorizontalSum256(_mm256_madd_epi16(newest_window::Load(history + i + 1), moved)));
        newest_window::Store(coefficients + i, newest_window::StepBy(moved, newest_window::Load(adapt + i + 1), second.sign));
    }
    return sums;
}

// Samples go in pairs, except the last of a stretch and the one that fills
// the arrays' window (the arrays roll after it).
ZEM_AVX512 void DecodeRunAvx512(const FilterRun& run, int32_t* values, int n) {
    newest_window::Newest w = newest_window::Open(run);
    const int older = run.order - 16;
    for (int i = 0; i < n;) {
        int16_t* history = run.history + w.position - run.order;
        int16_t* adapt = run.adapt + w.position - run.order;
        if (i + 1 < n && w.position + 1 < run.order + run.window) {
            const PairSums sums = DotAdaptOlderPair(run.coefficients, history, adapt, older,
                                                    DirectionOf(AdaptDirection(values[i])),
                                                    DirectionOf(AdaptDirection(values[i + 1])));
            values[i] = newest_window::Finish(run, w, values[i], sums.first);
            values[i + 1] = newest_window::Finish(run, w, values[i + 1], sums.second);
            i += 2;
        } else {
            const int32_t sum = DotAdapt16Avx512(run.coefficients, history, adapt, AdaptDirection(values[i]), older);
            values[i] = newest_window::Finish(run, w, values[i], sum);
            i += 1;
        }
    }
    newest_window::Close(run, w);
}

}  // namespace

void FillFilterKernelsAvx512(FilterKernels& kernels) {
    kernels.dotProduct16 = DotProduct16Avx512;
    kernels.adaptCoefficients16 = AdaptCoefficients16Avx512;
    kernels.dotAdapt16 = DotAdapt16Avx512;
    kernels.decodeRun = DecodeRunAvx512;
    kernels.level = SimdLevel::Avx512;
}

#else

void FillFilterKernelsAvx512(FilterKernels&) {}

#endif
