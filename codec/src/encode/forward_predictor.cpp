// SPDX-License-Identifier: BSD-3-Clause
#include "encode/forward_predictor.h"

namespace zem {

namespace {

constexpr int32_t kCrossChannelVersion = 3950;

}  // namespace

std::unique_ptr<CForwardPredictor> CreateForwardPredictor(int32_t level, int32_t version) {
    if (version < kCrossChannelVersion)
        return std::make_unique<CForwardPredictor3930>(level, version);
    return std::make_unique<CForwardPredictor3950>(level, version);
}

CForwardPredictor3930::CForwardPredictor3930(int32_t level, int32_t version)
    : m_stages(CPredictor3930::CheckedLevel(level), version) {
    Reset();
}

// The decoder's steps in reverse: undo the de-emphasis, take away the
// weighted estimate, then run the filter stages forward.
int32_t CForwardPredictor3930::EncodeSample(int32_t value, int32_t) {
    m_prediction.RollWhenFull();
    const int32_t prediction = m_emphasis.Preemphasise(value);
    const int32_t residual = WrapSub(prediction, m_prediction.Estimate());
    m_prediction.Commit(prediction, residual);
    return m_stages.Encode(residual);
}

void CForwardPredictor3930::Reset() {
    m_stages.Reset();
    m_prediction.Reset();
    m_emphasis.Reset();
}

CForwardPredictor3950::CForwardPredictor3950(int32_t level, int32_t version) : m_stages(level, version) {
    Reset();
}

int32_t CForwardPredictor3950::EncodeSample(int32_t value, int32_t other) {
    const int32_t prediction = m_emphasis.Preemphasise(value);
    const int32_t residual = WrapSub(prediction, m_prediction.Estimate(other));
    m_prediction.Commit(prediction, residual);
    return m_stages.Encode(residual);
}

void CForwardPredictor3950::Reset() {
    m_stages.Reset();
    m_prediction.Reset();
    m_emphasis.Reset();
}

}  // namespace zem
