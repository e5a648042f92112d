// SPDX-License-Identifier: BSD-3-Clause
// The per-channel predictor chains of streams of version 3930 and later: a
// residual goes through the filter stages, then a fixed-order adaptive
// predictor, then a first-order de-emphasis, and comes out as the channel's
// value. The frame decoder owns one per channel and resets them every frame.
#pragma once

#include "model/wrapping_math.h"

#include <cstdint>
#include <memory>

namespace zem {

class CPredictor {
public:
    virtual ~CPredictor() = default;
    // The channel's next value from its residual; `other` is the cross-channel
    // input (ignored before version 3950).
    virtual int32_t DecodeSample(int32_t value, int32_t other) = 0;
    // DecodeSample(values[i], 0) for i < n, in place.
    virtual void DecodeSamples(int32_t* values, int32_t n) = 0;
    virtual void Reset() = 0;
};

// The predictor class of a stream version (3930 and later) at a compression
// level. Raises DecodeException{1} for a level the class does not support.
std::unique_ptr<CPredictor> CreatePredictor(int32_t level, int32_t version);

// The last stage of both predictors: value = prediction + (last value * 31) >> 5
// when decoding, and its inverse when encoding.
class FirstOrderEmphasis {
public:
    void Reset() { m_last = 0; }
    int32_t Deemphasise(int32_t prediction) {
        m_last = WrapAdd(prediction, DeemphasisTerm(m_last));
        return m_last;
    }
    int32_t Preemphasise(int32_t value) {
        const int32_t prediction = WrapSub(value, DeemphasisTerm(m_last));
        m_last = value;
        return prediction;
    }

private:
    int32_t m_last = 0;
};

}  // namespace zem
