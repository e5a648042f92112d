// SPDX-License-Identifier: BSD-3-Clause
#include "model/predictor_3950.h"

#include <cstring>

namespace zem {

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
    FilterStages(values, n);
    for (int32_t i = 0; i < n; ++i)
        values[i] = Predict(values[i], 0);
}

void CPredictor3950::Reset() {
    m_stages.Reset();
    m_prediction.Reset();
    m_emphasis.Reset();
}

}  // namespace zem
