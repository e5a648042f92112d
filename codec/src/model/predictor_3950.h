// SPDX-License-Identifier: BSD-3-Clause
// The predictor of stream versions 3950 and later: four weights over the
// channel's own predictions and five over the other channel's values, with up
// to three filter stages (levels 1000 to 5000).
#pragma once

#include "model/filter_chain.h"
#include "model/predictor.h"
#include "model/wrapping_math.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zem {

// The weighted part, shared by the decoding and the encoding direction: nine
// terms, four over the channel's own predictions (the last one, its
// difference from the one before, and the two differences before that) and
// five over the other channel's de-emphasised values (the value and its last
// four differences). Each weight moves by one per sample, toward the product
// of its term's sign and the residual's sign.
class Prediction3950 {
public:
    void Reset();
    // Enters the last prediction and `other` into the terms and returns the
    // weighted sum >> 10 (cross-channel part halved first).
    int32_t Estimate(int32_t other) {
        int32_t* t = m_terms;
        const int32_t a0 = m_lastPrediction;
        t[3] = t[2];
        t[2] = t[1];
        t[1] = WrapSub(a0, t[0]);
        t[0] = a0;
        const int32_t b0 = WrapSub(other, DeemphasisTerm(m_previousOther));
        m_previousOther = other;
        t[8] = t[7];
        t[7] = t[6];
        t[6] = t[5];
        t[5] = WrapSub(b0, t[4]);
        t[4] = b0;
        uint32_t products[kTerms];
        for (int i = 0; i < kTerms; ++i)
            products[i] = static_cast<uint32_t>(t[i]) * static_cast<uint32_t>(m_weights[i]);
        const uint32_t own = (products[0] + products[1]) + (products[2] + products[3]);
        const uint32_t cross = (products[4] + products[5]) + (products[6] + products[7]) + products[8];
        return WrapAdd(static_cast<int32_t>(own), static_cast<int32_t>(cross) >> 1) >> 10;
    }
    // Moves the weights by the residual's sign and remembers the prediction.
    void Commit(int32_t prediction, int32_t residual) {
        const int32_t direction = (residual > 0) - (residual < 0);
#if defined(__SSE2__)
        // Four weights at a time: the direction added where a term is
        // positive and taken away where it is negative.
        static_assert(kTerms >= 8, "two groups of four, then the rest one by one");
        const __m128i d = _mm_set1_epi32(direction);
        const __m128i zero = _mm_setzero_si128();
        for (int i = 0; i < 8; i += 4) {
            const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_terms + i));
            const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_weights + i));
            const __m128i up = _mm_and_si128(_mm_cmpgt_epi32(t, zero), d);
            const __m128i down = _mm_and_si128(_mm_cmpgt_epi32(zero, t), d);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(m_weights + i), _mm_sub_epi32(_mm_add_epi32(w, up), down));
        }
        constexpr int kScalarFrom = 8;
#else
        constexpr int kScalarFrom = 0;
#endif
        for (int i = kScalarFrom; i < kTerms; ++i) {
            const int32_t sign = (m_terms[i] > 0) - (m_terms[i] < 0);
            m_weights[i] = WrapAdd(m_weights[i], sign * direction);
        }
        m_lastPrediction = prediction;
    }

private:
    static constexpr int kTerms = 9;

    int32_t m_terms[kTerms];    // a0..a3 (own), b0..b4 (cross) of the last Estimate
    int32_t m_weights[kTerms];
    int32_t m_lastPrediction = 0;
    int32_t m_previousOther = 0;
};

class CPredictor3950 : public CPredictor {
public:
    // Raises DecodeException{1} for a level other than 1000 to 5000.
    CPredictor3950(int32_t level, int32_t version);

    int32_t DecodeSample(int32_t value, int32_t other) override { return Step(value, other); }
    // DecodeSample without the virtual call, for the block loops.
    int32_t Step(int32_t value, int32_t other) { return Predict(m_stages.Decode(value), other); }
    // The two halves of Step, for loops that run the filter stages over a
    // stretch of residuals first: FilterStages in place, then Predict on each.
    void FilterStages(int32_t* values, int32_t n) { m_stages.DecodeBatch(values, n); }
    // FilterStages of two predictors (the two channels) side by side.
    static void FilterStagesPair(CPredictor3950& a, int32_t* va, CPredictor3950& b, int32_t* vb, int32_t n) {
        CFilterChain::DecodeBatchPair(a.m_stages, va, b.m_stages, vb, n);
    }
    int32_t Predict(int32_t residual, int32_t other) {
        const int32_t prediction = WrapAdd(residual, m_prediction.Estimate(other));
        m_prediction.Commit(prediction, residual);
        return m_emphasis.Deemphasise(prediction);
    }
    void DecodeSamples(int32_t* values, int32_t n) override;
    void Reset() override;

    const CFilterChain& Stages() const { return m_stages; }
    int32_t Version() const { return m_version; }

private:
    CFilterChain m_stages;
    Prediction3950 m_prediction;
    FirstOrderEmphasis m_emphasis;
    int32_t m_version;
};


}  // namespace zem
