// SPDX-License-Identifier: BSD-3-Clause
#include "encode/forward_predictor.h"
#include "model/decode_exception.h"
#include "model/filter_chain.h"
#include "model/predictor.h"
#include "model/predictor_3930.h"
#include "model/predictor_3950.h"
#include "tests/predictor/reference_models.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

using namespace zem;

namespace {

std::vector<int32_t> DecodeAll(CPredictor& predictor, const std::vector<int32_t>& values,
                               const std::vector<int32_t>& others) {
    std::vector<int32_t> outputs;
    for (size_t i = 0; i < values.size(); ++i)
        outputs.push_back(predictor.DecodeSample(values[i], others[i]));
    return outputs;
}

int ThrownCode(const std::function<void()>& build) {
    try {
        build();
    } catch (const DecodeException& e) {
        return e.code;
    }
    return 0;
}

}  // namespace

// Level 1000 (no filters), worked out by hand. 3930: the first value moves
// every weight up (zero terms count as positive), so the 50 sees
// 100*361 + 100*318 = 67900 -> +132 and de-emphasis 100*31>>5 = 96; the 0
// leaves the weights alone. 3950: the first call gives the cross weights b0,
// b1 = 1 (other 40 is positive, sign -1); the third sees
// 36*359 - 64*316 - 100*109 + (2*-1 >> 1) = -18201 -> -18, and the fourth a
// cross part of (-10 - 97 + 2) >> 1 = -53.
TEST(Predictor, HandWorkedSequences) {
    struct Case {
        int version;
        std::vector<int32_t> values, others, outputs;
    } cases[] = {
        {3930, {100, 50, -20, 0, -7}, {9, 9, 9, 9, 9}, {100, 278, 407, 466, 478}},
        {3950, {100, -30, 5, 0}, {40, 80, -10, 0}, {100, 132, 114, 106}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        std::unique_ptr<CPredictor> predictor = CreatePredictor(1000, c.version);
        EXPECT_EQ(c.outputs, DecodeAll(*predictor, c.values, c.others));
        predictor->Reset();
        EXPECT_EQ(c.outputs, DecodeAll(*predictor, c.values, c.others)) << "after Reset";

        std::unique_ptr<CForwardPredictor> forward = CreateForwardPredictor(1000, c.version);
        for (size_t i = 0; i < c.values.size(); ++i)
            EXPECT_EQ(c.values[i], forward->EncodeSample(c.outputs[i], c.others[i])) << "sample " << i;
    }
}

TEST(Predictor, StagesByLevel) {
    struct Row {
        int level, version;
        FilterStageShape stages[3];
        int stageVersion;
    } rows[] = {
        {1000, 3990, {{0, 0}, {0, 0}, {0, 0}}, 3990},      {2000, 3990, {{16, 11}, {0, 0}, {0, 0}}, 3990},
        {3000, 3930, {{64, 11}, {0, 0}, {0, 0}}, 3930},    {4000, 3950, {{256, 13}, {32, 10}, {0, 0}}, 3950},
        {5000, 3950, {{1280, 15}, {256, 13}, {16, 11}}, 3990}, {5000, 3999, {{1280, 15}, {256, 13}, {16, 11}}, 3990},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.level << "/" << row.version);
        CPredictor3950 predictor(row.level, row.version);
        for (int number = 1; number <= 3; ++number) {
            const CAdaptiveFilter* stage = predictor.Stages().Stage(number);
            const FilterStageShape& expected = row.stages[number - 1];
            ASSERT_EQ(expected.order != 0, stage != nullptr) << "stage " << number;
            if (stage) {
                EXPECT_EQ(expected.order, stage->Order());
                EXPECT_EQ(expected.shift, stage->Shift());
                EXPECT_EQ(row.stageVersion, stage->Version());
            }
        }
    }
}

// The level-5000 stages of a 3950 stream behave as 3990: the outputs match a
// 3990 stream's, while at level 4000 the older adapt rule makes them differ.
TEST(Predictor, Level5000StagesIgnoreTheStreamVersion) {
    std::mt19937 random(5000);
    std::uniform_int_distribution<int32_t> value(-3000, 3000);
    std::vector<int32_t> values(2000), others(2000);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = value(random);
        others[i] = value(random);
    }
    for (int level : {4000, 5000}) {
        CPredictor3950 older(level, 3950), newer(level, 3990);
        const bool same = DecodeAll(older, values, others) == DecodeAll(newer, values, others);
        EXPECT_EQ(level == 5000, same) << "level " << level;
    }
}

TEST(Predictor, ConstructorsRefuseUnsupportedLevels) {
    struct Row {
        int level, version, code;
    } rows[] = {
        {5000, 3930, 1}, {0, 3930, 1}, {1500, 3940, 1}, {6000, 3950, 1}, {999, 3990, 1}, {-1000, 3990, 1},
        {4000, 3930, 0}, {5000, 3950, 0}, {1000, 3990, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.level << "/" << row.version);
        EXPECT_EQ(row.code, ThrownCode([&] { CreatePredictor(row.level, row.version); }));
        EXPECT_EQ(row.code, ThrownCode([&] { CreateForwardPredictor(row.level, row.version); }));
    }
    EXPECT_EQ(1, ThrownCode([] { CPredictor3930(5000, 3990); }));
}

// The 520-value histories roll after 512 values; the 513th value and those
// after are what unbounded histories give.
TEST(Predictor, MatchesTheUnboundedModelAcrossRolls) {
    std::mt19937 random(513);
    std::uniform_int_distribution<int32_t> value(-40000, 40000);
    CPredictor3930 p3930(1000, 3930);
    CPredictor3950 p3950(1000, 3990);
    predictor_tests::Predictor3930Model m3930;
    predictor_tests::Predictor3950Model m3950;
    for (int i = 0; i < 1600; ++i) {
        const int32_t a = value(random), other = value(random);
        ASSERT_EQ(m3930.Decode(a), p3930.DecodeSample(a, other)) << "3930 sample " << i;
        ASSERT_EQ(m3950.Decode(a, other), p3950.DecodeSample(a, other)) << "3950 sample " << i;
    }
}
