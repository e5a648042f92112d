// The predictor of stream versions 3950 and later: four weights over the
// channel's own predictions and five over the other channel's values, with up
// to three filter stages (levels 1000 to 5000).
#pragma once

#include "tessarine/codec/decode/filter_chain.h"
#include "tessarine/codec/decode/predictor.h"

// The weighted part, shared by the decoding and the encoding direction. Its
// four histories (own values A, cross-channel values B, and the adapt signs of
// each) move together, so one position serves all of them.
class Prediction3950 {
public:
    static constexpr int32_t kHistory = 8;
    static constexpr int32_t kWindow = 512;

    void Reset();
    // Moves the newest history to the front once the window is used up.
    void RollWhenFull();
    // Enters the last prediction and `other` into the histories and returns the
    // weighted sum >> 10 (cross-channel part halved first).
    int32_t Estimate(int32_t other);
    // Moves the weights by the residual's sign and remembers the prediction.
    void Commit(int32_t prediction, int32_t residual);

private:
    enum { kOwn, kCross, kOwnSigns, kCrossSigns, kHistoryCount };

    int32_t* At(int history) { return m_buffers[history] + m_position; }

    int32_t m_buffers[kHistoryCount][kHistory + kWindow];
    static constexpr int kWeights = 9;

    int32_t m_weights[kWeights];  // a0..a3 (own), b0..b4 (cross)
    int32_t m_signs[kWeights];    // adapt signs of the entries the last Estimate weighed
    int32_t m_lastPrediction = 0;
    int32_t m_previousOther = 0;
    int32_t m_position = kHistory;
    int32_t m_count = 0;
};

class CPredictor3950 : public CPredictor {
public:
    // Raises DecodeException{1} for a level other than 1000 to 5000.
    CPredictor3950(int32_t level, int32_t version);

    int32_t DecodeSample(int32_t value, int32_t other) override;
    void Reset() override;

    const CFilterChain& Stages() const { return m_stages; }
    int32_t Version() const { return m_version; }

private:
    CFilterChain m_stages;
    Prediction3950 m_prediction;
    FirstOrderEmphasis m_emphasis;
    int32_t m_version;
};
