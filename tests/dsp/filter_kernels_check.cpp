// SPDX-License-Identifier: BSD-3-Clause
// Every instruction-set version of the filter kernels this processor offers,
// against the scalar references, over random data. The seed is printed; set
// ZEM_CHECK_SEED to replay a failure.
#include "dsp/cpu_features.h"
#include "dsp/filter_kernels.h"
#include "model/adaptive_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <random>
#include <vector>

using namespace zem;

namespace {

uint32_t CheckSeed() {
    static const uint32_t seed = [] {
        const char* text = std::getenv("ZEM_CHECK_SEED");
        const uint32_t chosen = text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : std::random_device{}();
        std::cout << "filter kernel check seed: " << chosen << ", paths up to " << SimdLevelName(MachineSimdLevel())
                  << "\n";
        return chosen;
    }();
    return seed;
}

// Random values, with runs of the extremes that make the 32-bit sums wrap.
std::vector<int16_t> RandomSamples(std::mt19937& random, int n) {
    std::vector<int16_t> values(n);
    std::uniform_int_distribution<int> value(INT16_MIN, INT16_MAX), kind(0, 3);
    const int16_t extreme = kind(random) == 0 ? INT16_MIN : INT16_MAX;
    for (int16_t& v : values)
        v = kind(random) == 0 ? extreme : static_cast<int16_t>(value(random));
    return values;
}

// The levels beyond scalar that this machine runs.
std::vector<SimdLevel> VectorLevels() {
    std::vector<SimdLevel> levels;
    for (int level = 1; level <= static_cast<int>(MachineSimdLevel()); ++level)
        levels.push_back(static_cast<SimdLevel>(level));
    return levels;
}

constexpr int kLengths[] = {16, 32, 48, 64, 80, 128, 256, 1280, 1296};

}  // namespace

TEST(FilterKernelCheck, EveryPathMatchesTheScalarReference) {
    std::mt19937 random(CheckSeed());
    const FilterKernels& reference = FilterKernelsUpTo(SimdLevel::Scalar);
    for (SimdLevel level : VectorLevels()) {
        const FilterKernels& kernels = FilterKernelsUpTo(level);
        ASSERT_EQ(level, kernels.level);
        for (int n : kLengths) {
            for (int direction : {-1, 0, 1, 7, -7}) {
                SCOPED_TRACE(testing::Message() << SimdLevelName(level) << " n=" << n << " direction=" << direction);
                const std::vector<int16_t> history = RandomSamples(random, n), adapt = RandomSamples(random, n);
                const std::vector<int16_t> start = RandomSamples(random, n);
                EXPECT_EQ(reference.dotProduct16(history.data(), start.data(), n),
                          kernels.dotProduct16(history.data(), start.data(), n));

                std::vector<int16_t> expected = start, actual = start;
                reference.adaptCoefficients16(expected.data(), adapt.data(), direction, n);
                kernels.adaptCoefficients16(actual.data(), adapt.data(), direction, n);
                EXPECT_EQ(expected, actual);

                expected = start;
                actual = start;
                const int32_t dot = reference.dotAdapt16(expected.data(), history.data(), adapt.data(), direction, n);
                EXPECT_EQ(dot, kernels.dotAdapt16(actual.data(), history.data(), adapt.data(), direction, n));
                EXPECT_EQ(expected, actual);
            }
        }
    }
}

// The kernels read and write exactly n values: the guards around the arrays
// stay as they were, also for the masked tails.
TEST(FilterKernelCheck, KernelsStayInsideTheirArrays) {
    std::mt19937 random(CheckSeed() + 1);
    for (int level = 0; level <= static_cast<int>(MachineSimdLevel()); ++level) {
        const FilterKernels& kernels = FilterKernelsUpTo(static_cast<SimdLevel>(level));
        for (int n : kLengths) {
            SCOPED_TRACE(testing::Message() << SimdLevelName(kernels.level) << " n=" << n);
            std::vector<int16_t> coefficients = RandomSamples(random, n + 64);
            const std::vector<int16_t> before = coefficients, adapt = RandomSamples(random, n + 64);
            kernels.dotAdapt16(coefficients.data() + 32, adapt.data() + 32, adapt.data() + 32, 1, n);
            kernels.adaptCoefficients16(coefficients.data() + 32, adapt.data() + 32, -1, n);
            EXPECT_TRUE(std::equal(before.begin(), before.begin() + 32, coefficients.begin()));
            EXPECT_TRUE(std::equal(before.end() - 32, before.end(), coefficients.end() - 32));
        }
    }
}

// Whole filters on every path, run in both directions over the same random
// signal (a quarter of it zeros, which move no coefficient), sample by sample
// and in stretches through the run kernels, give the same outputs.
TEST(FilterKernelCheck, FiltersAgreeOnEveryPath) {
    std::mt19937 random(CheckSeed() + 2);
    std::uniform_int_distribution<int32_t> sample(-70000, 70000);
    std::vector<int32_t> signal(3000);
    for (int32_t& v : signal)
        v = random() % 4 == 0 ? 0 : sample(random);
    const SimdLevel saved = SimdLimit();
    for (int order : {16, 48, 256, 1280, 2048}) {  // 2048: beyond the zeros all filters share
        std::vector<int32_t> expected;
        for (int level = 0; level <= static_cast<int>(MachineSimdLevel()); ++level) {
            SetSimdLimit(static_cast<SimdLevel>(level));
            CAdaptiveFilter decoder(order, 13, 3990), encoder(order, 13, 3990), batch(order, 13, 3990);
            decoder.Reset();
            encoder.Reset();
            batch.Reset();
            std::vector<int32_t> outputs, stretches = signal;
            for (int32_t v : signal) {
                outputs.push_back(decoder.Decode(v));
                outputs.push_back(encoder.Encode(v));
            }
            for (size_t at = 0; at < stretches.size(); at += 701) {
                const size_t count = std::min<size_t>(701, stretches.size() - at);
                batch.DecodeBatch(stretches.data() + at, static_cast<int32_t>(count));
            }
            outputs.insert(outputs.end(), stretches.begin(), stretches.end());
            if (level == 0)
                expected = outputs;
            EXPECT_EQ(expected, outputs) << SimdLevelName(static_cast<SimdLevel>(level)) << " order " << order;
        }
    }
    SetSimdLimit(saved);
}

TEST(FilterKernelCheck, LimitCapsTheTableNewFiltersTake) {
    const SimdLevel saved = SimdLimit();
    SetSimdLimit(SimdLevel::Scalar);
    EXPECT_EQ(SimdLevel::Scalar, ActiveFilterKernels().level);
    EXPECT_EQ(SimdLevel::Scalar, CAdaptiveFilter(16, 11, 3990).KernelLevel());
    SetSimdLimit(static_cast<SimdLevel>(kSimdLevelCount - 1));
    EXPECT_EQ(MachineSimdLevel(), ActiveFilterKernels().level);
    SetSimdLimit(saved);
#if defined(__x86_64__)
    EXPECT_TRUE(ProcessorHasMmx());  // every 64-bit x86 processor has it
    EXPECT_GE(MachineSimdLevel(), SimdLevel::Sse2);
#endif
}
