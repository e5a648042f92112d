// SPDX-License-Identifier: BSD-3-Clause
// The encoding direction of the predictor chains: a channel's value becomes
// the residual from which CPredictor3930 or CPredictor3950 gives the value
// back. Each weight and coefficient update depends only on values both
// directions know, so the two stay in step sample by sample.
#pragma once

#include "model/filter_chain.h"
#include "model/predictor.h"
#include "model/predictor_3930.h"
#include "model/predictor_3950.h"

#include <cstdint>
#include <memory>

namespace zem {

class CForwardPredictor {
public:
    virtual ~CForwardPredictor() = default;
    // The residual of the channel's next value; `other` is the value the
    // decoder will pass as its cross-channel input (ignored before 3950).
    virtual int32_t EncodeSample(int32_t value, int32_t other) = 0;
    virtual void Reset() = 0;
};

// The counterpart of CreatePredictor(level, version); raises
// DecodeException{1} where that does.
std::unique_ptr<CForwardPredictor> CreateForwardPredictor(int32_t level, int32_t version);

class CForwardPredictor3930 : public CForwardPredictor {
public:
    CForwardPredictor3930(int32_t level, int32_t version);

    int32_t EncodeSample(int32_t value, int32_t other) override;
    void Reset() override;

private:
    CFilterChain m_stages;
    Prediction3930 m_prediction;
    FirstOrderEmphasis m_emphasis;
};

class CForwardPredictor3950 : public CForwardPredictor {
public:
    CForwardPredictor3950(int32_t level, int32_t version);

    int32_t EncodeSample(int32_t value, int32_t other) override;
    void Reset() override;

private:
    CFilterChain m_stages;
    Prediction3950 m_prediction;
    FirstOrderEmphasis m_emphasis;
};

}  // namespace zem
