// SPDX-License-Identifier: BSD-3-Clause
#include "dsp/cpu_features.h"
#include "model/adaptive_filter.h"
#include "model/decode_exception.h"
#include "model/sliding_buffer.h"
#include "tests/predictor/reference_models.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace zem;

using predictor_tests::FilterModel;

namespace {

std::vector<int32_t> DecodeAll(CAdaptiveFilter& filter, const std::vector<int32_t>& inputs) {
    std::vector<int32_t> outputs;
    for (int32_t v : inputs)
        outputs.push_back(filter.Decode(v));
    return outputs;
}

}  // namespace

// Short sequences worked out by hand from the rules, for a 16-tap filter with
// shift 11 (the level-2000 stage). They pin the pairing of coefficients with
// history, the adapt direction, the rounding of negative sums, the decay of the
// adapt values (4 and 8 back before 3980; 1, 2 and 8 back after) and the
// running average that scales the newer adapt figures.
TEST(AdaptiveFilter, HandWorkedSequences) {
    struct Case {
        int version;
        std::vector<int32_t> inputs, outputs;
    } cases[] = {
        // 3990: after 1000 the adapt value is -32 (avg 62); after -500, +32
        // (avg 89); the 2000 sees dot -32*-500 = 16000 -> +8; the 0 sees
        // -64*2008 + 16*-500 = -136512 -> -67 (figure +8, avg 200); the -100
        // sees -64*-67 + 16*2008 = 36416 -> +18.
        {3990, {1000, -500, 2000, 0, -100}, {1000, -500, 2008, -67, -82}},
        // 3950: adapt values +-4; the 3 sees -8*-9 + 4*2001 = 8076 -> +4, the
        // -1 sees 8156 -> +4, and the last 0 sees the value halved 4 back:
        // -8*3 + 4*-5 + 2*2001 + -2*-500 = 4958 -> 2.
        {3950, {1000, -500, 2000, 0, 3, 0, -1, 0}, {1000, -500, 2001, -9, 7, -5, 3, 2}},
        // Saturation: 40000 enters the history as 32767 (32*32767 -> 512, not
        // the 625 of 32*40000) and -40000 as -32768; the returned values are
        // not saturated.
        {3990, {1000, 40000, 0}, {1000, 40000, 512}},
        {3990, {1000, -40000, 0}, {1000, -40000, 512}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << ", first input " << c.inputs[1]);
        CAdaptiveFilter filter(16, 11, c.version);
        filter.Reset();
        EXPECT_EQ(c.outputs, DecodeAll(filter, c.inputs));

        CAdaptiveFilter encoder(16, 11, c.version);
        encoder.Reset();
        for (size_t i = 0; i < c.outputs.size(); ++i)
            EXPECT_EQ(c.inputs[i], encoder.Encode(c.outputs[i])) << "sample " << i;
    }
}

TEST(AdaptiveFilter, RefusesOrdersAndShiftsItCannotRun) {
    const int32_t badShapes[][2] = {{0, 11}, {8, 11}, {24, 11}, {-16, 11}, {15, 11}, {16, 0}, {16, 32}, {16, -1}};
    for (const auto& shape : badShapes) {
        try {
            CAdaptiveFilter filter(shape[0], shape[1], 3990);
            ADD_FAILURE() << "order " << shape[0] << " shift " << shape[1] << " was accepted";
        } catch (const DecodeException& e) {
            EXPECT_EQ(1, e.code);
        }
    }
    for (int order : {16, 32, 48, 1280})
        EXPECT_EQ(order, CAdaptiveFilter(order, 11, 3990).Order());
}

// Long runs against the unbounded model: every window roll (every 512
// samples) and the reset in the middle leave the outputs untouched.
// Sample by sample and in stretches of random length, alone and side by side
// with a second filter of the same order (fed the negated values, so the two
// move their coefficients the other way), on every instruction-set path.
TEST(AdaptiveFilter, MatchesTheUnboundedModelAcrossWindowRolls) {
    std::mt19937 random(3990);
    std::uniform_int_distribution<int> stretch(1, 300);
    const SimdLevel saved = SimdLimit();
    for (int level = 0; level <= static_cast<int>(MachineSimdLevel()); ++level) {
        SetSimdLimit(static_cast<SimdLevel>(level));
        for (int version : {3950, 3990}) {
            for (int order : {16, 32, 48, 64, 256, 1280}) {
                SCOPED_TRACE(testing::Message() << SimdLevelName(static_cast<SimdLevel>(level)) << " version "
                                                << version << " order " << order);
                CAdaptiveFilter filter(order, 13, version), partner(order, 13, version);
                filter.Reset();
                partner.Reset();
                // The first run has many residuals of 0, which move no coefficient.
                for (int run = 0; run < 2; ++run) {
                    FilterModel model(order, 13, version), partnerModel(order, 13, version);
                    std::normal_distribution<double> noise(0, run == 0 ? 3000 : 30000);
                    std::vector<int32_t> values(1600), partnerValues, expected, partnerExpected;
                    for (int32_t& v : values) {
                        v = run == 0 && random() % 3 == 0 ? 0 : static_cast<int32_t>(noise(random));
                        partnerValues.push_back(-v);
                        expected.push_back(model.Decode(v));
                        partnerExpected.push_back(partnerModel.Decode(-v));
                    }
                    for (size_t at = 0; at < values.size();) {
                        const size_t count = std::min<size_t>(stretch(random), values.size() - at);
                        if (count % 3 == 0) {  // now and then a single sample between stretches
                            values[at] = filter.Decode(values[at]);
                            partnerValues[at] = partner.Decode(partnerValues[at]);
                            at += 1;
                        } else if (count % 3 == 1) {
                            filter.DecodeBatch(values.data() + at, static_cast<int32_t>(count));
                            partner.DecodeBatch(partnerValues.data() + at, static_cast<int32_t>(count));
                            at += count;
                        } else {
                            CAdaptiveFilter::DecodeBatchPair(filter, values.data() + at, partner,
                                                             partnerValues.data() + at, static_cast<int32_t>(count));
                            at += count;
                        }
                    }
                    ASSERT_EQ(expected, values);
                    ASSERT_EQ(partnerExpected, partnerValues);
                    filter.Reset();
                    partner.Reset();
                }
            }
        }
    }
    SetSimdLimit(saved);
}

// A reset clears only what the samples since the last one touched; after any
// number of them, in any kind of call, the filter starts afresh.
TEST(AdaptiveFilter, ResetAfterAnyNumberOfSamplesIsAFreshStart) {
    std::mt19937 random(1280);
    std::normal_distribution<double> noise(0, 20000);
    const SimdLevel saved = SimdLimit();
    for (int level = 0; level <= static_cast<int>(MachineSimdLevel()); ++level) {
        SetSimdLimit(static_cast<SimdLevel>(level));
        for (int order : {16, 32, 48, 256, 1280}) {
            CAdaptiveFilter filter(order, 13, 3990), encoder(order, 13, 3990);
            filter.Reset();
            encoder.Reset();
            for (int used : {0, 1, 2, 9, 16, 17, 47, 48, 255, 256, 511, 512, 513, 1279, 1280, 1281, 1600}) {
                SCOPED_TRACE(testing::Message() << SimdLevelName(static_cast<SimdLevel>(level)) << " order " << order
                                                << " after " << used);
                std::vector<int32_t> before(used), after(700);
                for (int32_t& v : before)
                    v = static_cast<int32_t>(noise(random));
                for (int32_t& v : after)
                    v = static_cast<int32_t>(noise(random));
                if (used % 2)
                    filter.DecodeBatch(before.data(), used);
                else
                    DecodeAll(filter, before);
                for (int32_t v : before)
                    encoder.Encode(v);
                filter.Reset();
                encoder.Reset();
                FilterModel model(order, 13, 3990);
                std::vector<int32_t> expected, encoded;
                for (int32_t v : after)
                    expected.push_back(model.Decode(v));
                for (int32_t v : expected)
                    encoded.push_back(encoder.Encode(v));
                EXPECT_EQ(after, encoded);
                filter.DecodeBatch(after.data(), static_cast<int32_t>(after.size()));
                ASSERT_EQ(expected, after);
            }
        }
    }
    SetSimdLimit(saved);
}

TEST(SlidingBuffer, HistoryReadsBackAcrossRolls) {
    for (int history : {8, 16, 600}) {
        CSlidingBuffer<int32_t> buffer(history);
        for (int k = 1; k <= history; ++k)
            ASSERT_EQ(0, buffer.Current()[-k]);
        for (int32_t written = 0; written < 3 * 512 + 7; ++written) {
            *buffer.Current() = written;
            buffer.Advance();
            for (int k = 1; k <= history && k <= written + 1; ++k)
                ASSERT_EQ(written + 1 - k, buffer.Current()[-k]) << "history " << history << " k " << k;
        }
        buffer.Reset();
        EXPECT_EQ(0, buffer.Current()[-1]);
        EXPECT_EQ(0, buffer.Current()[0]);
    }
}
