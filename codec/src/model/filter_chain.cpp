// SPDX-License-Identifier: BSD-3-Clause
#include "model/filter_chain.h"

#include "model/decode_exception.h"

namespace zem {

namespace {

struct LevelStages {
    int32_t level;
    FilterStageShape stages[kMaxFilterStages];
};

constexpr LevelStages kStagesByLevel[] = {
    {1000, {{0, 0}, {0, 0}, {0, 0}}},
    {2000, {{16, 11}, {0, 0}, {0, 0}}},
    {3000, {{64, 11}, {0, 0}, {0, 0}}},
    {4000, {{256, 13}, {32, 10}, {0, 0}}},
    {5000, {{1280, 15}, {256, 13}, {16, 11}}},
};

constexpr int32_t kHighestLevel = 5000;
constexpr int32_t kHighestLevelStageVersion = 3990;

}  // namespace

FilterStagePlan FilterStagesForLevel(int32_t level, int32_t version) {
    for (const LevelStages& entry : kStagesByLevel) {
        if (entry.level != level)
            continue;
        FilterStagePlan plan = {};
        for (int i = 0; i < kMaxFilterStages; ++i)
            plan.stages[i] = entry.stages[i];
        plan.version = level == kHighestLevel ? kHighestLevelStageVersion : version;
        return plan;
    }
    throw DecodeException{kUnsupportedStage};
}

CFilterChain::CFilterChain(int32_t level, int32_t version) {
    const FilterStagePlan plan = FilterStagesForLevel(level, version);
    for (const FilterStageShape& shape : plan.stages) {
        if (shape.order == 0)
            break;
        m_stages[m_count++] = std::make_unique<CAdaptiveFilter>(shape.order, shape.shift, plan.version);
    }
}

void CFilterChain::Reset() {
    for (int i = 0; i < m_count; ++i)
        m_stages[i]->Reset();
}

void CFilterChain::DecodeBatch(int32_t* values, int32_t n) {
    for (int i = m_count - 1; i >= 0; --i)
        m_stages[i]->DecodeBatch(values, n);
}

void CFilterChain::DecodeBatchPair(CFilterChain& a, int32_t* va, CFilterChain& b, int32_t* vb, int32_t n) {
    if (a.m_count != b.m_count) {
        a.DecodeBatch(va, n);
        b.DecodeBatch(vb, n);
        return;
    }
    for (int i = a.m_count - 1; i >= 0; --i)
        CAdaptiveFilter::DecodeBatchPair(*a.m_stages[i], va, *b.m_stages[i], vb, n);
}

int32_t CFilterChain::Encode(int32_t value) {
    for (int i = 0; i < m_count; ++i)
        value = m_stages[i]->Encode(value);
    return value;
}

const CAdaptiveFilter* CFilterChain::Stage(int number) const {
    return number >= 1 && number <= m_count ? m_stages[number - 1].get() : nullptr;
}

}  // namespace zem
