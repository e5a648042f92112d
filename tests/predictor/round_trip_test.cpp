// SPDX-License-Identifier: BSD-3-Clause
// The encoding direction followed by the decoding direction gives every value
// back, for every level and both predictor generations, over ordinary and
// extreme signals.
#include "encode/forward_predictor.h"
#include "model/predictor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace zem;

namespace {

constexpr int kLength = 2100;  // four window rolls and a part

struct Signal {
    const char* name;
    std::vector<int32_t> (*make)(std::mt19937&);
};

std::vector<int32_t> Fill(std::mt19937& random, int32_t low, int32_t high) {
    std::uniform_int_distribution<int32_t> value(low, high);
    std::vector<int32_t> v(kLength);
    for (int32_t& x : v)
        x = value(random);
    return v;
}

const Signal kSignals[] = {
    {"silence", [](std::mt19937&) { return std::vector<int32_t>(kLength, 0); }},
    {"random 16-bit", [](std::mt19937& r) { return Fill(r, INT16_MIN, INT16_MAX); }},
    {"random 24-bit", [](std::mt19937& r) { return Fill(r, -(1 << 23), (1 << 23) - 1); }},
    {"random 32-bit", [](std::mt19937& r) { return Fill(r, INT32_MIN, INT32_MAX); }},
    {"full-scale square",
     [](std::mt19937&) {
         std::vector<int32_t> v(kLength);
         for (int i = 0; i < kLength; ++i)
             v[i] = (i / 7) % 2 ? INT16_MIN : INT16_MAX;
         return v;
     }},
    {"32-bit extremes",
     [](std::mt19937& r) {
         std::vector<int32_t> v = Fill(r, 0, 3);
         for (int32_t& x : v)
             x = x == 0 ? INT32_MIN : (x == 1 ? INT32_MAX : (x == 2 ? -1 : 0));
         return v;
     }},
    {"tone",
     [](std::mt19937&) {
         std::vector<int32_t> v(kLength);
         for (int i = 0; i < kLength; ++i)
             v[i] = static_cast<int32_t>(20000 * std::sin(i * 0.05) + 9000 * std::sin(i * 0.31));
         return v;
     }},
};

struct Generation {
    int version;
    int highestLevel;
};

constexpr Generation kGenerations[] = {{3930, 4000}, {3940, 4000}, {3950, 5000}, {3970, 5000}, {3990, 5000}};

}  // namespace

TEST(PredictorRoundTrip, EveryLevelGenerationAndSignal) {
    std::mt19937 random(3930);
    for (const Generation& generation : kGenerations) {
        for (int level = 1000; level <= generation.highestLevel; level += 1000) {
            std::unique_ptr<CForwardPredictor> forward = CreateForwardPredictor(level, generation.version);
            std::unique_ptr<CPredictor> inverse = CreatePredictor(level, generation.version);
            for (const Signal& signal : kSignals) {
                SCOPED_TRACE(testing::Message() << generation.version << " level " << level << " " << signal.name);
                const std::vector<int32_t> values = signal.make(random), others = kSignals[2].make(random);
                forward->Reset();
                inverse->Reset();
                std::vector<int32_t> residuals;
                for (int i = 0; i < kLength; ++i)
                    residuals.push_back(forward->EncodeSample(values[i], others[i]));
                int mismatches = 0;
                for (int i = 0; i < kLength; ++i)
                    mismatches += inverse->DecodeSample(residuals[i], others[i]) != values[i];
                EXPECT_EQ(0, mismatches);
                if (signal.make == kSignals[0].make) {
                    EXPECT_EQ(std::vector<int32_t>(kLength, 0), residuals);
                }
            }
        }
    }
}
