#include "tessarine/codec/decode/predictor_3950.h"

#include <cstring>

namespace {

constexpr int32_t kInitialOwnWeights[4] = {360, 317, -109, 98};

// The adapt sign: opposite to the value, 0 for 0.
int32_t AdaptSign(int32_t v) { return v > 0 ? -1 : (v < 0 ? 1 : 0); }

int32_t WeightedSum(const int32_t* newest, const int32_t* weights, int count) {
    int32_t sum = 0;
    for (int i = 0; i < count; ++i)
        sum = WrapAdd(sum, WrapMul(newest[-i], weights[i]));
    return sum;
}

// weights[i] -= signs[-i] for a positive residual, += for a negative one.
void MoveWeights(int32_t* weights, const int32_t* newestSign, int count, int32_t residual) {
    for (int i = 0; i < count; ++i)
        weights[i] = residual > 0 ? WrapSub(weights[i], newestSign[-i]) : WrapAdd(weights[i], newestSign[-i]);
}

}  // namespace

void Prediction3950::Reset() {
    for (auto& buffer : m_buffers)
        std::memset(buffer, 0, sizeof(int32_t) * (kHistory + 1));
    std::memcpy(m_ownWeights, kInitialOwnWeights, sizeof m_ownWeights);
    std::memset(m_crossWeights, 0, sizeof m_crossWeights);
    m_lastPrediction = 0;
    m_previousOther = 0;
    m_position = kHistory;
    m_count = 0;
}

void Prediction3950::RollWhenFull() {
    if (m_count < kWindow)
        return;
    for (auto& buffer : m_buffers)
        std::memmove(buffer, buffer + m_position - kHistory, sizeof(int32_t) * kHistory);
    m_position = kHistory;
    m_count = 0;
}

int32_t Prediction3950::Estimate(int32_t other) {
    int32_t* own = At(kOwn);
    own[0] = m_lastPrediction;
    own[-1] = WrapSub(own[0], own[-1]);

    int32_t* cross = At(kCross);
    cross[0] = WrapSub(other, DeemphasisTerm(m_previousOther));
    m_previousOther = other;
    cross[-1] = WrapSub(cross[0], cross[-1]);

    int32_t* ownSigns = At(kOwnSigns);
    ownSigns[0] = AdaptSign(own[0]);
    ownSigns[-1] = AdaptSign(own[-1]);
    int32_t* crossSigns = At(kCrossSigns);
    crossSigns[0] = AdaptSign(cross[0]);
    crossSigns[-1] = AdaptSign(cross[-1]);

    const int32_t crossSum = WeightedSum(cross, m_crossWeights, 5) >> 1;
    return WrapAdd(WeightedSum(own, m_ownWeights, 4), crossSum) >> 10;
}

void Prediction3950::Commit(int32_t prediction, int32_t residual) {
    if (residual != 0) {
        MoveWeights(m_ownWeights, At(kOwnSigns), 4, residual);
        MoveWeights(m_crossWeights, At(kCrossSigns), 5, residual);
    }
    m_lastPrediction = prediction;
    ++m_position;
    ++m_count;
}

CPredictor3950::CPredictor3950(int32_t level, int32_t version) : m_stages(level, version), m_version(version) {
    Reset();
}

int32_t CPredictor3950::DecodeSample(int32_t value, int32_t other) {
    m_prediction.RollWhenFull();
    const int32_t residual = m_stages.Decode(value);
    const int32_t prediction = WrapAdd(residual, m_prediction.Estimate(other));
    m_prediction.Commit(prediction, residual);
    return m_emphasis.Deemphasise(prediction);
}

void CPredictor3950::Reset() {
    m_stages.Reset();
    m_prediction.Reset();
    m_emphasis.Reset();
}
