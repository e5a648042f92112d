// SPDX-License-Identifier: BSD-3-Clause
// The adaptive filter stages of one channel's predictor, chosen by compression
// level.
#pragma once

#include "model/adaptive_filter.h"

#include <cstdint>
#include <memory>

namespace zem {

struct FilterStageShape {
    int32_t order;  // 0 when the stage is absent
    int32_t shift;
};

constexpr int kMaxFilterStages = 3;

struct FilterStagePlan {
    FilterStageShape stages[kMaxFilterStages];  // stage 1 first
    int32_t version;                            // the version every stage behaves as
};

// The stages of a compression level (1000 to 5000) for a stream version. At
// level 5000 the stages behave as version 3990 whatever the stream's version.
// Raises DecodeException{1} for any other level.
FilterStagePlan FilterStagesForLevel(int32_t level, int32_t version);

class CFilterChain {
public:
    // Raises DecodeException{1} for an unknown level.
    CFilterChain(int32_t level, int32_t version);

    void Reset();
    // Residual to value: the highest-numbered present stage first.
    int32_t Decode(int32_t value) {
        for (int i = m_count - 1; i >= 0; --i)
            value = m_stages[i]->Decode(value);
        return value;
    }
    // Decode over values[0..n), in place.
    void DecodeBatch(int32_t* values, int32_t n);
    // a.DecodeBatch(va, n) and b.DecodeBatch(vb, n), stage by stage side by side.
    static void DecodeBatchPair(CFilterChain& a, int32_t* va, CFilterChain& b, int32_t* vb, int32_t n);
    // Value to residual: the exact inverse of Decode, stage 1 first.
    int32_t Encode(int32_t value);

    // Stage 1..3, or null when absent.
    const CAdaptiveFilter* Stage(int number) const;

private:
    std::unique_ptr<CAdaptiveFilter> m_stages[kMaxFilterStages];
    int m_count = 0;  // present stages are always 1..m_count
};

}  // namespace zem
