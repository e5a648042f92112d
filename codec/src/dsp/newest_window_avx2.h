// SPDX-License-Identifier: BSD-3-Clause
// The part of a filter step that the run kernels of every vector level share:
// the newest 16 outputs and adapt values held in 256-bit registers, and the
// step that completes a sample once the sum over the older values is known.
// Included by the vector kernel files only (x86 with AVX2 or more).
#pragma once

#include "dsp/adapt_figure.h"
#include "dsp/filter_kernels.h"

#include <immintrin.h>

#include <cstring>

#define ZEM_NEWEST_AVX2 __attribute__((target("avx2")))

namespace zem {

namespace newest_window {

ZEM_NEWEST_AVX2 inline __m256i Load(const int16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
ZEM_NEWEST_AVX2 inline void Store(int16_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

ZEM_NEWEST_AVX2 inline int32_t Sum(__m256i v) {
    __m128i s = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(1, 0, 3, 2)));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(s);
}

// The coefficients moved by the adapt values times the direction (-1, 0 or
// 1): a sign instruction, which leaves the multipliers to the dot products.
ZEM_NEWEST_AVX2 inline __m256i StepBy(__m256i c, __m256i adapt, __m256i direction) {
    return _mm256_add_epi16(c, _mm256_sign_epi16(adapt, direction));
}

ZEM_NEWEST_AVX2 inline __m256i Direction(int direction) {
    return _mm256_set1_epi16(static_cast<int16_t>((direction > 0) - (direction < 0)));
}

// Drops lane 0, moves every lane down by one and puts `newest` in lane 15:
// the byte shift takes its last lane from lane 0 of the half above, which
// holds `newest`, so no broadcast and mask are needed.
ZEM_NEWEST_AVX2 inline __m256i MoveWindow(__m256i v, int16_t newest) {
    const __m128i value = _mm_cvtsi32_si128(static_cast<uint16_t>(newest));
    return _mm256_alignr_epi8(_mm256_permute2x128_si256(v, _mm256_castsi128_si256(value), 0x21), v, 2);
}

// Lanes 1 to 15 of `current`, then lane 0 of `next`: a window one value on.
ZEM_NEWEST_AVX2 inline __m256i OneOn(__m256i current, __m256i next) {
    return _mm256_alignr_epi8(_mm256_permute2x128_si256(current, next, 0x21), current, 2);
}

// Lanes of a 16-bit mask as all-ones or zero.
ZEM_NEWEST_AVX2 inline __m256i LaneMask(uint32_t bits) {
    const __m256i lanes = _mm256_setr_epi16(1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384,
                                            static_cast<int16_t>(0x8000));
    return _mm256_cmpeq_epi16(_mm256_and_si256(_mm256_set1_epi16(static_cast<int16_t>(bits)), lanes), lanes);
}

// The last 16 outputs of a filter. The two newest stay apart as scalars and
// the window holds 0 in their lanes: the sum over the 14 older values then
// needs nothing from the last two steps, so only two scalar products stand
// between one output and the next.
struct RecentOutputs {
    __m256i older;  // outputs 16 to 3 back; lanes 14 and 15 are 0
    int32_t secondNewest;
    int32_t newest;
};

ZEM_NEWEST_AVX2 inline RecentOutputs LoadRecent(const int16_t* window) {
    const __m256i keep = _mm256_setr_epi16(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 0);
    return {_mm256_and_si256(Load(window), keep), window[14], window[15]};
}

ZEM_NEWEST_AVX2 inline void StoreRecent(int16_t* window, const RecentOutputs& r) {
    Store(window, r.older);
    window[14] = static_cast<int16_t>(r.secondNewest);
    window[15] = static_cast<int16_t>(r.newest);
}

// The sum of the window times the coefficients, wrapping, plus the lanes of
// `products` (the older taps' products of a 32-tap filter held in registers).
ZEM_NEWEST_AVX2 inline uint32_t WindowSum(const RecentOutputs& r, __m256i coefficients,
                                          __m256i products = _mm256_setzero_si256()) {
    const uint32_t olderSum =
        static_cast<uint32_t>(Sum(_mm256_add_epi32(_mm256_madd_epi16(r.older, coefficients), products)));
    const int32_t c14 = static_cast<int16_t>(_mm256_extract_epi16(coefficients, 14));
    const int32_t c15 = static_cast<int16_t>(_mm256_extract_epi16(coefficients, 15));
    return olderSum + static_cast<uint32_t>(r.secondNewest * c14) + static_cast<uint32_t>(r.newest * c15);
}

// The second newest joins the window, which moves on with 0 in the two lanes after it.
ZEM_NEWEST_AVX2 inline void PushRecent(RecentOutputs& r, int16_t output) {
    const __m256i lane13 = _mm256_setr_epi16(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, 0, 0);
    r.older = _mm256_or_si256(MoveWindow(r.older, 0),
                              _mm256_and_si256(_mm256_set1_epi16(static_cast<int16_t>(r.secondNewest)), lane13));
    r.secondNewest = r.newest;
    r.newest = output;
}

// A run's state between samples: the newest 16 outputs and adapt values, and
// the write position in the arrays.
struct Newest {
    RecentOutputs history;
    __m256i adapt;
    __m256i coefficients;  // the newest 16 taps, which only Finish moves
    __m256i decay;
    int32_t position;
    int32_t average;
};

ZEM_NEWEST_AVX2 inline Newest Open(const FilterRun& run) {
    const int32_t position = *run.position;
    return {LoadRecent(run.history + position - 16), Load(run.adapt + position - 16),
            Load(run.coefficients + run.order - 16), LaneMask(DecayLanes(run.scaled)), position, *run.average};
}

ZEM_NEWEST_AVX2 inline void Close(const FilterRun& run, const Newest& w) {
    StoreRecent(run.history + w.position - 16, w.history);
    Store(run.adapt + w.position - 16, w.adapt);
    Store(run.negatedAdapt + w.position - 16, _mm256_sub_epi16(_mm256_setzero_si256(), w.adapt));
    Store(run.coefficients + run.order - 16, w.coefficients);
    *run.position = w.position;
    *run.average = w.average;
}

// Completes one sample from the sum over the older values: the newest 16
// taps, the output, and both windows moved on. The output goes to the array
// at once (it is read 17 samples later); an adapt value goes when its last
// halving is done, eight samples later.
ZEM_NEWEST_AVX2 inline int32_t Finish(const FilterRun& run, Newest& w, int32_t input, int32_t olderSum) {
    const uint32_t newestSum = WindowSum(w.history, w.coefficients);
    w.coefficients = StepBy(w.coefficients, w.adapt, Direction(AdaptDirection(input)));
    const int32_t dot = static_cast<int32_t>(static_cast<uint32_t>(olderSum) + newestSum);
    const int32_t output = WrapAdd(input, RoundingShift(dot, run.shift));
    const int16_t saturated = SaturateInt16(output);
    run.history[w.position] = saturated;
    PushRecent(w.history, saturated);
    w.adapt = MoveWindow(w.adapt, NextAdaptValue(output, w.average, run.scaled));
    w.adapt = _mm256_blendv_epi8(w.adapt, _mm256_srai_epi16(w.adapt, 1), w.decay);
    const int16_t done = static_cast<int16_t>(_mm256_extract_epi16(w.adapt, 7));
    run.adapt[w.position - 8] = done;
    run.negatedAdapt[w.position - 8] = static_cast<int16_t>(-done);
    if (++w.position == run.order + run.window) {
        std::memmove(run.history, run.history + run.window, sizeof(int16_t) * run.order);
        std::memmove(run.adapt, run.adapt + run.window, sizeof(int16_t) * run.order);
        std::memmove(run.negatedAdapt, run.negatedAdapt + run.window, sizeof(int16_t) * run.order);
        w.position = run.order;
    }
    return output;
}

// The sums over the older values of two samples that one pass over the
// coefficients gives.
struct PairSums {
    uint32_t first;
    uint32_t second;
};

// The signatures of a level's passes over the older values: `Pair` for two
// samples at once, adding to the coefficients the values of `firstStep`
// (StepSource for the first sample's direction) and then of `secondStep`
// (for the second's, already one value on); `Single` for one.
using PairPass = PairSums (*)(int16_t* coefficients, const int16_t* history, const int16_t* firstStep,
                              const int16_t* secondStep, int n);
using SinglePass = int32_t (*)(int16_t* coefficients, const int16_t* history, const int16_t* adapt, int direction,
                               int n);

// A filter's Decode over values[0..n). Samples go in pairs, except the last
// of a stretch and the one that fills the arrays' window (the arrays roll
// after it). The older values were all written at least nine samples ago.
// Inlined into each level's kernel, whose instruction set the passes share.
template <PairPass kPair, SinglePass kSingle>
inline __attribute__((always_inline)) void DecodeRun(const FilterRun& run, int32_t* values, int n) {
    Newest w = Open(run);
    const int older = run.order - 16;
    for (int i = 0; i < n;) {
        const int32_t start = w.position - run.order;
        int16_t* history = run.history + start;
        const int direction = AdaptDirection(values[i]);
        if (i + 1 < n && w.position + 1 < run.order + run.window) {
            const PairSums sums = kPair(run.coefficients, history, StepSource(run, direction) + start,
                                        StepSource(run, AdaptDirection(values[i + 1])) + start + 1, older);
            values[i] = Finish(run, w, values[i], static_cast<int32_t>(sums.first));
            values[i + 1] = Finish(run, w, values[i + 1], static_cast<int32_t>(sums.second));
            i += 2;
        } else {
            const int32_t olderSum = kSingle(run.coefficients, history, run.adapt + start, direction, older);
            values[i] = Finish(run, w, values[i], olderSum);
            i += 1;
        }
    }
    Close(run, w);
}

}  // namespace newest_window

}  // namespace zem
