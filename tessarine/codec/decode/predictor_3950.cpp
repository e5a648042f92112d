#include "tessarine/codec/decode/predictor_3950.h"

#include <cstring>

namespace {

constexpr int32_t kInitialWeights[9] = {360, 317, -109, 98, 0, 0, 0, 0, 0};

// The adapt sign: opposite to the value, 0 for 0.
int32_t AdaptSign(int32_t v) { return v > 0 ? -1 : (v < 0 ? 1 : 0); }

}  // namespace

void Prediction3950::Reset() {
    for (auto& buffer : m_buffers)
        std::memset(buffer, 0, sizeof(int32_t) * (kHistory + 1));
    std::memcpy(m_weights, kInitialWeights, sizeof m_weights);
    std::memset(m_signs, 0, sizeof m_signs);
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

// This call's entries are used from registers, not read back from the
// histories just written: a wide load over fresh narrow stores stalls.
int32_t Prediction3950::Estimate(int32_t other) {
    int32_t* own = At(kOwn);
    const int32_t a0 = m_lastPrediction, a1 = WrapSub(a0, own[-1]), a2 = own[-2], a3 = own[-3];
    own[0] = a0;
    own[-1] = a1;

    int32_t* cross = At(kCross);
    const int32_t b0 = WrapSub(other, DeemphasisTerm(m_previousOther)), b1 = WrapSub(b0, cross[-1]);
    const int32_t b2 = cross[-2], b3 = cross[-3], b4 = cross[-4];
    cross[0] = b0;
    cross[-1] = b1;
    m_previousOther = other;

    // Commit moves the weights by these; each is written once, one by one.
    int32_t* ownSigns = At(kOwnSigns);
    int32_t* crossSigns = At(kCrossSigns);
    m_signs[0] = ownSigns[0] = AdaptSign(a0);
    m_signs[1] = ownSigns[-1] = AdaptSign(a1);
    m_signs[2] = ownSigns[-2];
    m_signs[3] = ownSigns[-3];
    m_signs[4] = crossSigns[0] = AdaptSign(b0);
    m_signs[5] = crossSigns[-1] = AdaptSign(b1);
    m_signs[6] = crossSigns[-2];
    m_signs[7] = crossSigns[-3];
    m_signs[8] = crossSigns[-4];

    const int32_t* w = m_weights;
    int32_t crossSum = WrapAdd(WrapAdd(WrapMul(b0, w[4]), WrapMul(b1, w[5])), WrapMul(b2, w[6]));
    crossSum = WrapAdd(WrapAdd(crossSum, WrapMul(b3, w[7])), WrapMul(b4, w[8])) >> 1;
    const int32_t ownSum = WrapAdd(WrapAdd(WrapMul(a0, w[0]), WrapMul(a1, w[1])),
                                   WrapAdd(WrapMul(a2, w[2]), WrapMul(a3, w[3])));
    return WrapAdd(ownSum, crossSum) >> 10;
}

// Own weights a0..a3 then cross weights b0..b4, each moved against its sign
// when the residual is positive and with it when negative.
void Prediction3950::Commit(int32_t prediction, int32_t residual) {
    if (residual > 0) {
        for (int i = 0; i < kWeights; ++i)
            m_weights[i] = WrapSub(m_weights[i], m_signs[i]);
    } else if (residual < 0) {
        for (int i = 0; i < kWeights; ++i)
            m_weights[i] = WrapAdd(m_weights[i], m_signs[i]);
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
