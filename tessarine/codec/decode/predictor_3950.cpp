#include "tessarine/codec/decode/predictor_3950.h"

#include <cstring>

namespace {

constexpr int32_t kInitialWeights[9] = {360, 317, -109, 98, 0, 0, 0, 0, 0};

}  // namespace

void Prediction3950::Reset() {
    std::memset(m_terms, 0, sizeof m_terms);
    std::memcpy(m_weights, kInitialWeights, sizeof m_weights);
    m_lastPrediction = 0;
    m_previousOther = 0;
}

CPredictor3950::CPredictor3950(int32_t level, int32_t version) : m_stages(level, version), m_version(version) {
    Reset();
}


void CPredictor3950::DecodeSamples(int32_t* values, int32_t n) {
    m_stages.DecodeBatch(values, n);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t prediction = WrapAdd(values[i], m_prediction.Estimate(0));
        m_prediction.Commit(prediction, values[i]);
        values[i] = m_emphasis.Deemphasise(prediction);
    }
}

void DecodeCrossChannel(CPredictor3950& predictorY, CPredictor3950& predictorX, int32_t* y, int32_t* x, int32_t n,
                        int32_t& lastX) {
    // The filter stages see only their own channel.
    predictorY.m_stages.DecodeBatch(y, n);
    predictorX.m_stages.DecodeBatch(x, n);
    Prediction3950& py = predictorY.m_prediction;
    Prediction3950& px = predictorX.m_prediction;
    int32_t previousX = lastX;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t predictionY = WrapAdd(y[i], py.Estimate(previousX));
        py.Commit(predictionY, y[i]);
        y[i] = predictorY.m_emphasis.Deemphasise(predictionY);
        const int32_t predictionX = WrapAdd(x[i], px.Estimate(y[i]));
        px.Commit(predictionX, x[i]);
        x[i] = previousX = predictorX.m_emphasis.Deemphasise(predictionX);
    }
    lastX = previousX;
}

void CPredictor3950::Reset() {
    m_stages.Reset();
    m_prediction.Reset();
    m_emphasis.Reset();
}
