// SPDX-License-Identifier: BSD-3-Clause
// The predictor of stream versions 3930 to 3949: four weights over the last
// prediction and its differences, with up to two filter stages (levels 1000 to
// 4000).
#pragma once

#include "model/filter_chain.h"
#include "model/predictor.h"

namespace zem {

// The weighted part, shared by the decoding and the encoding direction.
class Prediction3930 {
public:
    static constexpr int32_t kHistory = 8;
    static constexpr int32_t kWindow = 512;

    void Reset();
    // Moves the newest history to the front once the window is used up.
    void RollWhenFull();
    // (x1*m0 + d1*m1 + d2*m2 + d3*m3) >> 9 over the last four predictions.
    int32_t Estimate();
    // Records the prediction and moves the weights by the residual's sign.
    void Commit(int32_t prediction, int32_t residual);

private:
    int32_t m_buffer[kHistory + kWindow];
    int32_t m_terms[4];  // x1, d1, d2, d3 of the last Estimate
    int32_t m_weights[4];
    int32_t m_position = kHistory;
    int32_t m_count = 0;
};

class CPredictor3930 : public CPredictor {
public:
    static constexpr int32_t kHighestLevel = 4000;

    // Raises DecodeException{1} for a level other than 1000 to 4000.
    CPredictor3930(int32_t level, int32_t version);
    // `level`, or DecodeException{1} when it is above what this class supports.
    static int32_t CheckedLevel(int32_t level);

    int32_t DecodeSample(int32_t value, int32_t other) override;
    void DecodeSamples(int32_t* values, int32_t n) override;
    void Reset() override;

    const CFilterChain& Stages() const { return m_stages; }

private:
    CFilterChain m_stages;
    Prediction3930 m_prediction;
    FirstOrderEmphasis m_emphasis;
};

}  // namespace zem
