// SPDX-License-Identifier: BSD-3-Clause
// Reconstruction filters: short vectors worked by hand from the filter rules,
// in both directions (so that a misreading shared by the test encoder and the
// decoder shows),
// the array lengths below which each member copies, and the member table.
#include "decode/older/inverse_predictor.h"
#include "decode/older/sign_cascade.h"
#include "dsp/cpu_features.h"
#include "dsp/filter_kernels.h"
#include "tests/older_encoder/forward_predictor.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <random>
#include <vector>

using namespace zem;

namespace {

using Values = std::vector<int32_t>;
using namespace inverse_members;
using namespace inverse_blocks;

// Runs a member on a copy of `in`, with room behind the values as the decoder gives.
Values RunMember(const std::function<void(int32_t*, int32_t*, int)>& member, Values in) {
    const int n = static_cast<int>(in.size());
    in.resize(n + 16, 0x5A5A);
    Values out(n + 16, 0x7777);
    member(in.data(), out.data(), n);
    out.resize(n);
    return out;
}

// `length` values, all 0 but the given ones.
Values Impulses(size_t length, std::initializer_list<std::pair<size_t, int32_t>> values) {
    Values v(length, 0);
    for (const auto& [index, value] : values)
        v[index] = value;
    return v;
}

// Each case runs the decoder's member on `in` and checks the first output
// values against numbers worked by hand from the filter rules; the test
// encoder's forward direction must then give `in` back from the output.
TEST(InversePredictorHandWorked, ShortVectors) {
    struct Case {
        const char* name;
        std::function<void(int32_t*, int32_t*, int)> member;
        std::function<Values(const Values&)> forward;
        Values in, expected;
    };
    namespace fwd = older_encoder::forward_members;
    namespace fwdBlocks = older_encoder::forward_blocks;
    Values firstOrderIn(32, 0);
    firstOrderIn[0] = 1;
    Values firstOrderOut{1, 1, 1, 1, 1, 1, 1, 1, 0};
    for (int i = 9; i < 32; ++i)
        firstOrderOut.push_back(8 - i);
    const Case cases[] = {
        {"Integrator375: x[1] is kept, then g is summed",
         [](int32_t* in, int32_t* out, int n) { Integrator375(in, n); std::copy(in, in + n, out); },
         fwd::Integrator375, {1, 2, 3, 0}, {1, 2, 7, 12}},
        {"StepFilter offset 2 step 12", [](int32_t* in, int32_t* out, int n) { StepFilter(in, out, n, 2, 12); },
         [](const Values& v) { return fwdBlocks::StepInput(v, 2, 12); },
         {1000, 2000, 3000, -500, 700, 100}, {1000, 2000, 3000, -495, 700, 98}},
        {"OffsetShiftFilter subtracting",
         [](int32_t* in, int32_t* out, int n) { OffsetShiftFilter(in, out, n, 1, -1, 2); },
         [](const Values& v) { return fwdBlocks::OffsetShiftInput(v, 1, -1, 2); },
         {100, 50, 40, 30}, {100, 50, 34, 26}},
        {"OffsetShiftFilter adding rounds toward minus infinity",
         [](int32_t* in, int32_t* out, int n) { OffsetShiftFilter(in, out, n, 1, 1, 2); },
         [](const Values& v) { return fwdBlocks::OffsetShiftInput(v, 1, 1, 2); },
         {-100, -50, 0, 0}, {-100, -50, -7, -1}},
        {"Cascade370 at its shortest adaptive length", Cascade370, fwd::Cascade370,
         {1, 2, 3, 4, 5, 6, 7, 8}, {1, 3, 6, 10, 15, 23, 36, 57}},
        {"Cascade740 at its shortest adaptive length", Cascade740, fwd::Cascade740,
         {1, 2, 3, 4, 5, 6, 7, 8}, {1, 3, 6, 10, 17, 30, 50, 76}},
        {"FirstOrder4000 from one impulse", FirstOrder4000, fwd::FirstOrder4000, firstOrderIn, firstOrderOut},
        // Only the last stage acts: 5 * 3900 >> 12 = 4, then 3, 2, 1, 0.
        {"Cascade300, first value", Cascade300, fwd::Cascade300, Impulses(32, {{0, 5}}),
         {5, 5, 5, 5, 5, 5, 5, 5, 4, 3, 2, 1, 0}},
        // Stage A gives 1000, 216, -170, -12 (its weight 296 after the first
        // value), stage B 1000, 1674, 1549, 1026, stage C the sums below.
        {"Cascade300, impulse at 8", Cascade300, fwd::Cascade300, Impulses(32, {{8, 1000}}),
         {0, 0, 0, 0, 0, 0, 0, 0, 1000, 2625, 4048, 4881}},
        // Stage 1 gives 1000, -2, 2, -3 (its weight -1), stage 2 1000, -4, 7,
        // -9, Cascade300's stages 1000, 212, -162, -18 and 1000, 1670, 1551, 1026.
        {"Poly3000, impulse at 8", Poly3000, fwd::Poly3000, Impulses(32, {{8, 1000}}),
         {0, 0, 0, 0, 0, 0, 0, 0, 1000, 2621, 4046, 4879}},
        // The six step filters make 4096, 4096, 0, 12, 12, 12, 12, 12; Cascade370's
        // stages then 9, 137, 38 from element 5, and its integration the rest.
        {"Step3320", Step3320, fwd::Step3320, Impulses(8, {{0, 4096}, {1, 4096}}),
         {4096, 8192, 8192, 8204, 8216, 7839, 7617, 7502}},
        // Stage 1 gives 1000, -3, 4 (the taps of j = 11 and 12, their weights
        // +1 after the first value), stage 2 1000, 161, -316.
        {"High3600", High3600, fwd::High3600, Impulses(16, {{13, 1001}, {14, 1}, {15, 1}}),
         Impulses(16, {{13, 1000}, {14, 2579}, {15, 3800}})},
        // Stage 1 gives 1000, -3, 4, -3 (odd taps +1, even -1), stage 2
        // 1000, 165, -316, 128, stage 3 1000, 1615, 1307, 853.
        {"High3700", High3700, fwd::High3700, Impulses(20, {{16, 1001}, {17, 1}, {18, 1}, {19, 1}}),
         Impulses(20, {{16, 1000}, {17, 2583}, {18, 3809}, {19, 4542}})},
        // Stage 1 gives 1000, 2, 2, 2 (every tap -1), stage 2 1000, 183, -342,
        // 124, stage 3 1000, 1633, 1307, 836.
        {"High3800", High3800, fwd::High3800, Impulses(20, {{16, 1000}}),
         Impulses(20, {{16, 1000}, {17, 2601}, {18, 3826}, {19, 4542}})},
    };
    for (const Case& c : cases) {
        const Values out = RunMember(c.member, c.in);
        EXPECT_EQ(c.expected, Values(out.begin(), out.begin() + c.expected.size())) << c.name;
        EXPECT_EQ(c.in, c.forward(out)) << c.name << ", forward";
    }
}

TEST(InversePredictorHandWorked, FirstOrder4000AdaptsItsWeight) {
    Values in(32, 0);
    in[0] = 1;
    in[8] = 2;  // agrees with the prediction 1: the weight grows to 4004
    const Values out = RunMember(FirstOrder4000, in);
    EXPECT_EQ((Values{1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 1, 0, -1}), Values(out.begin(), out.begin() + 13));
}

// One impulse at the first filtered value; the next value shows every stage.
TEST(InversePredictorHandWorked, SignCascadeFirstValues) {
    const struct {
        int version, taps;
        int32_t impulse, nextStage1, next;
    } rows[] = {
        // The long filter turns the impulse into -100 >> 11 = -1, so its output
        // is 1; the extrapolation makes 19 of it, the leak stage 164, the integrator 260.
        {3800, 128, 100, 1, 260},
        // The 8-tap stage's weights all become -1, so it makes 0 + (1000 >> 9) = 2;
        // the long filter 2 - (-1000 >> 12) = 3, the extrapolation 184, the leak
        // stage 909 and the integrator 909 + 968.
        {3830, 256, 1000, 3, 1877},
    };
    for (const auto& row : rows) {
        const int n = row.taps + 6;
        const Values in = Impulses(n, {{size_t(row.taps), row.impulse}});
        Values scratch(in), out(n + 16, 0);
        scratch.resize(n + 16, 0);
        CSignCascade4000(row.version).Reconstruct(scratch.data(), out.data(), n);
        EXPECT_EQ(0, out[row.taps - 1]) << row.version;
        EXPECT_EQ(row.impulse, out[row.taps]) << row.version;
        EXPECT_EQ(row.nextStage1, scratch[row.taps + 1]) << row.version;
        EXPECT_EQ(row.next, out[row.taps + 1]) << row.version;
        out.resize(n);
        EXPECT_EQ(in, older_encoder::forward_members::SignCascade4000(out, row.version)) << row.version;
    }
}

// Below its shortest length every member passes the residuals through unchanged.
TEST(InversePredictorLengths, ShortArraysPassUnchanged) {
    struct Member {
        const char* name;
        std::function<void(int32_t*, int32_t*, int)> run;
        int shortest;  // the first length that is filtered
    };
    const Member members[] = {
        {"FirstOrder4000", FirstOrder4000, 32}, {"Cascade300", Cascade300, 32}, {"Poly3000", Poly3000, 32},
        {"High3600", High3600, 16},            {"High3700", High3700, 20},     {"High3800", High3800, 20},
        {"Cascade370", Cascade370, 8},         {"Cascade740", Cascade740, 8},  {"Step3320", Step3320, 8},
        {"Integrator375", [](int32_t* in, int32_t* out, int n) { Integrator375(in, n); std::copy(in, in + n, out); }, 3},
        {"SignCascade4000 3800", [](int32_t* in, int32_t* out, int n) { CSignCascade4000(3800).Reconstruct(in, out, n); }, 134},
        {"SignCascade4000 3830", [](int32_t* in, int32_t* out, int n) { CSignCascade4000(3830).Reconstruct(in, out, n); }, 262},
    };
    for (const Member& m : members) {
        Values in(m.shortest);
        std::iota(in.begin(), in.end(), -3);
        in.back() = 977;  // a value no filter stage would leave as it is
        const Values shorter(in.begin(), in.end() - 1);
        EXPECT_EQ(shorter, RunMember(m.run, shorter)) << m.name;
        EXPECT_NE(in, RunMember(m.run, in)) << m.name << " at its shortest filtered length";
    }
}

TEST(InversePredictorLengths, SignCascadeStartsWithRunningSums) {
    for (int version : {3800, 3829, 3830}) {
        const int taps = version < 3830 ? 128 : 256;
        Values in(taps + 6);
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = static_cast<int32_t>(i % 7) - 3;
        Values expected(taps);
        std::partial_sum(in.begin(), in.begin() + taps, expected.begin());
        const Values out = RunMember([version](int32_t* a, int32_t* b, int n) { CSignCascade4000(version).Reconstruct(a, b, n); }, in);
        EXPECT_EQ(expected, Values(out.begin(), out.begin() + taps)) << version;
    }
}

// Pausing every p values yields the processor and changes nothing of the result.
TEST(InversePredictorLengths, SignCascadePauseKeepsTheResult) {
    Values in(600);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<int32_t>((i * 7919) % 201) - 100;
    Values plain(in), paused(in), outPlain(616), outPaused(616);
    CSignCascade4000(3830).Reconstruct(plain.data(), outPlain.data(), 600, 0);
    CSignCascade4000(3830).Reconstruct(paused.data(), outPaused.data(), 600, 128);
    EXPECT_EQ(outPlain, outPaused);
}

// The long filter on every instruction-set level this processor runs gives
// the scalar table's output, over residuals whose 16-bit products wrap.
TEST(SignCascadeKernels, EveryLevelMatchesScalar) {
    const uint32_t seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> wide(-40000, 40000), narrow(-60, 60);
    for (int level = 1; level <= static_cast<int>(MachineSimdLevel()); ++level)
        for (int version : {3800, 3830}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " level " << SimdLevelName(SimdLevel(level))
                                            << " version " << version);
            Values in(3000);
            for (int32_t& v : in)
                v = random() % 4 == 0 ? wide(random) : narrow(random);
            Values scalarIn(in), vectorIn(in), scalarOut(3016), vectorOut(3016);
            CSignCascade4000(version, &FilterKernelsUpTo(SimdLevel::Scalar)).Reconstruct(scalarIn.data(), scalarOut.data(), 3000);
            CSignCascade4000(version, &FilterKernelsUpTo(SimdLevel(level))).Reconstruct(vectorIn.data(), vectorOut.data(), 3000);
            EXPECT_EQ(scalarOut, vectorOut);
            EXPECT_EQ(scalarIn, vectorIn);
        }
}

TEST(InversePredictorFactory, MemberByLevelAndVersion) {
    // Each member's answer to one input, to tell which member the factory chose.
    Values in(300);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<int32_t>((i * 37) % 23) - 11;
    struct Row {
        int level, version;
        std::function<void(int32_t*, int32_t*, int)> member;
    };
    auto integrator = [](int32_t* a, int32_t* b, int n) { Integrator375(a, n); std::copy(a, a + n, b); };
    const Row rows[] = {
        {1000, 3319, FirstOrder4000}, {1000, 3320, integrator}, {2000, 3319, Cascade300},
        {2000, 3320, Cascade370},     {2000, 3799, Cascade370}, {2000, 3800, Cascade740},
        {3000, 3319, Poly3000},       {3000, 3320, Step3320},   {3000, 3599, Step3320},
        {3000, 3600, High3600},       {3000, 3700, High3700},   {3000, 3800, High3800},
    };
    for (const Row& row : rows) {
        auto predictor = CreateInversePredictor(row.level, row.version);
        ASSERT_TRUE(predictor) << row.level << " " << row.version;
        EXPECT_EQ(RunMember(row.member, in),
                  RunMember([&](int32_t* a, int32_t* b, int n) { predictor->Reconstruct(a, b, n); }, in))
            << row.level << " " << row.version;
    }
    EXPECT_TRUE(CreateInversePredictor(4000, 3800));
    EXPECT_FALSE(CreateInversePredictor(5000, 3800));
    EXPECT_FALSE(CreateInversePredictor(0, 3800));
}

}  // namespace
