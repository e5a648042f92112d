// SPDX-License-Identifier: BSD-3-Clause
#include "model/predictor_3930.h"

#include "model/decode_exception.h"

#include <cstring>

namespace zem {

namespace {

constexpr int32_t kInitialWeights[4] = {360, 317, -109, 98};

// The weight step: zero counts as positive.
int32_t SignOf(int32_t v) { return v < 0 ? -1 : 1; }

}  // namespace

void Prediction3930::Reset() {
    std::memset(m_buffer, 0, sizeof(int32_t) * (kHistory + 1));
    std::memset(m_terms, 0, sizeof m_terms);
    std::memcpy(m_weights, kInitialWeights, sizeof m_weights);
    m_position = kHistory;
    m_count = 0;
}

void Prediction3930::RollWhenFull() {
    if (m_count < kWindow)
        return;
    std::memmove(m_buffer, m_buffer + m_position - kHistory, sizeof(int32_t) * kHistory);
    m_position = kHistory;
    m_count = 0;
}

int32_t Prediction3930::Estimate() {
    const int32_t* x = m_buffer + m_position;
    m_terms[0] = x[-1];
    m_terms[1] = WrapSub(x[-1], x[-2]);
    m_terms[2] = WrapSub(x[-2], x[-3]);
    m_terms[3] = WrapSub(x[-3], x[-4]);
    int32_t sum = 0;
    for (int i = 0; i < 4; ++i)
        sum = WrapAdd(sum, WrapMul(m_terms[i], m_weights[i]));
    return sum >> 9;
}

void Prediction3930::Commit(int32_t prediction, int32_t residual) {
    m_buffer[m_position] = prediction;
    if (residual != 0) {
        const int32_t direction = residual > 0 ? 1 : -1;
        for (int i = 0; i < 4; ++i)
            m_weights[i] = WrapAdd(m_weights[i], direction * SignOf(m_terms[i]));
    }
    ++m_position;
    ++m_count;
}

int32_t CPredictor3930::CheckedLevel(int32_t level) {
    if (level > kHighestLevel)
        throw DecodeException{kUnsupportedStage};
    return level;
}

CPredictor3930::CPredictor3930(int32_t level, int32_t version) : m_stages(CheckedLevel(level), version) {
    Reset();
}

int32_t CPredictor3930::DecodeSample(int32_t value, int32_t) {
    m_prediction.RollWhenFull();
    const int32_t residual = m_stages.Decode(value);
    const int32_t prediction = WrapAdd(residual, m_prediction.Estimate());
    m_prediction.Commit(prediction, residual);
    return m_emphasis.Deemphasise(prediction);
}

void CPredictor3930::DecodeSamples(int32_t* values, int32_t n) {
    m_stages.DecodeBatch(values, n);
    for (int32_t i = 0; i < n; ++i) {
        m_prediction.RollWhenFull();
        const int32_t prediction = WrapAdd(values[i], m_prediction.Estimate());
        m_prediction.Commit(prediction, values[i]);
        values[i] = m_emphasis.Deemphasise(prediction);
    }
}

void CPredictor3930::Reset() {
    m_stages.Reset();
    m_prediction.Reset();
    m_emphasis.Reset();
}

}  // namespace zem
