// SPDX-License-Identifier: BSD-3-Clause
// The test encoder's forward filters against the decoder's reconstruction:
// whatever goes in (random 32-bit values, music with silence, full scale and
// noise, the side channel of such music), the decoder's member gives the
// samples back exactly, at lengths around every threshold below which a
// member copies.
#include "decode/older/inverse_predictor.h"
#include "decode/older/sign_cascade.h"
#include "tests/older_encoder/forward_predictor.h"
#include "tests/older_encoder/older_stream.h"
#include "tests/older_encoder/mixed_signal.h"
#include "tests/support/wave_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>

using namespace zem;

namespace {

using older_encoder::Values;
using Forward = std::function<Values(const Values&)>;
using Inverse = std::function<void(int32_t* in, int32_t* out, int n)>;

struct PredictorRow {
    std::string name;
    Forward forward;
    Inverse inverse;
};

// The decoder's filter on `residuals`, with slack behind the arrays as the
// channel decoder gives it.
Values Reconstruct(const Inverse& inverse, Values residuals) {
    const int n = static_cast<int>(residuals.size());
    residuals.resize(n + 16, 0x5A5A);
    Values out(n + 16, 0x7777);
    inverse(residuals.data(), out.data(), n);
    out.resize(n);
    return out;
}

// Level-4000 filter parameters for a version below 3800: count, then pairs.
std::vector<int> Parameters(int version, uint32_t seed) {
    std::mt19937 random(seed);
    const int valueBits = version >= 3320 && version < 3600 ? 5 : 6;
    std::vector<int> parameters{static_cast<int>(random() % 16)};
    for (int i = 0; i <= parameters[0]; ++i)
        for (int k = 0; k < 2; ++k)
            parameters.push_back(static_cast<int>(random() % (1u << valueBits)));
    return parameters;
}

std::vector<PredictorRow> Rows() {
    using namespace older_encoder::forward_blocks;
    using namespace inverse_blocks;
    std::vector<PredictorRow> rows;
    // Every member the decoder's factory makes, one version from each band.
    for (int level : {1000, 2000, 3000})
        for (int version : {3319, 3320, 3599, 3600, 3700, 3800, 3920}) {
            auto member = std::shared_ptr<CInversePredictor>(CreateInversePredictor(level, version));
            rows.push_back({"level " + std::to_string(level) + " version " + std::to_string(version),
                            [=](const Values& s) { return older_encoder::ForwardChannel(level, version, s, {}); },
                            [=](int32_t* in, int32_t* out, int n) { member->Reconstruct(in, out, n); }});
        }
    for (int version : {3800, 3829, 3830, 3920})
        rows.push_back({"SignCascade4000 " + std::to_string(version),
                        [=](const Values& s) { return older_encoder::forward_members::SignCascade4000(s, version); },
                        [=](int32_t* in, int32_t* out, int n) { CSignCascade4000(version).Reconstruct(in, out, n); }});
    // Level 4000 below 3800: the passes and the member, with drawn parameters.
    for (int version : {3300, 3320, 3600, 3700}) {
        const std::vector<int> p = Parameters(version, version);
        rows.push_back({"level 4000 passes " + std::to_string(version),
                        [=](const Values& s) { return older_encoder::ForwardChannel(4000, version, s, p); },
                        [=](int32_t* in, int32_t* out, int n) {
                            const Values o = older_encoder::ExpectedChannel(4000, version, Values(in, in + n), p);
                            std::copy(o.begin(), o.end(), out);
                        }});
    }
    // The building blocks, at their smallest and largest offsets and both signs.
    for (int offset : {0, 1, 63})
        for (int sign : {-1, 1})
            rows.push_back({"OffsetShift " + std::to_string(offset * sign),
                            [=](const Values& s) { return OffsetShiftInput(s, offset, sign, 64); },
                            [=](int32_t* in, int32_t* out, int n) {
                                OffsetShiftFilter(in, out, n, offset, sign, 64);
                            }});
    for (int offset : {1, 31})
        for (int sign : {-1, 1})
            rows.push_back({"OffsetAdapt " + std::to_string(offset * sign),
                            [=](const Values& s) { return OffsetAdaptInput(s, offset, sign, 32); },
                            [=](int32_t* in, int32_t* out, int n) {
                                OffsetAdaptFilter(in, out, n, offset, sign, 32);
                            }});
    for (auto [a, b] : {std::pair{1, 2}, {63, 7}, {5, 5}, {0, 3}})
        rows.push_back({"TwoTap " + std::to_string(a) + "," + std::to_string(b),
                        [=](const Values& s) { return TwoTapInput(s, a, b, 64); },
                        [=](int32_t* in, int32_t* out, int n) { TwoTapFilter(in, out, n, a, b, 64); }});
    for (int offset : {2, 7})
        rows.push_back({"Step " + std::to_string(offset), [=](const Values& s) { return StepInput(s, offset, 12); },
                        [=](int32_t* in, int32_t* out, int n) { StepFilter(in, out, n, offset, 12); }});
    return rows;
}

std::vector<std::pair<std::string, Values>> Signals(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    Values wide(n);
    for (int32_t& v : wide)
        v = static_cast<int32_t>(random());
    const Values mono = older_encoder::MixedSignal(1, 16, static_cast<uint32_t>(n), seed);
    const Values stereo = older_encoder::MixedSignal(2, 16, static_cast<uint32_t>(n), seed + 1);
    Values mid, side;
    older_encoder::SplitChannels(stereo.data(), static_cast<int>(n), 2, 16, 3800, mid, side);
    return {{"32-bit random", wide}, {"music with silence, full scale, noise", mono}, {"side channel", side}};
}

TEST(ForwardPredictor, EveryMemberAndBlockGivesTheSamplesBack) {
    // Around each threshold: 3 (integrator), 8, 16, 20, 32, 134 and 262 values.
    const size_t lengths[] = {2, 3, 7, 8, 15, 16, 19, 20, 31, 32, 65, 133, 134, 261, 262, 1500};
    uint32_t seed = 1;
    for (const PredictorRow& row : Rows())
        for (size_t n : lengths)
            for (const auto& [signalName, samples] : Signals(n, seed++)) {
                const Values residuals = row.forward(samples);
                ASSERT_EQ(samples.size(), residuals.size()) << row.name;
                EXPECT_EQ(samples, Reconstruct(row.inverse, residuals))
                    << row.name << ", " << n << " values of " << signalName;
            }
}

int64_t Magnitude(const Values& values) {
    int64_t sum = 0;
    for (int32_t v : values)
        sum += std::abs(int64_t(v));
    return sum;
}

// A forward filter and a reconstruction that share a misreading can still
// agree with each other; they would no longer predict music, though.
TEST(ForwardPredictor, EveryLevelPredictsMusic) {
    testing_support::WaveShape shape;
    shape.channels = 1;
    shape.blocks = 4000;
    const Values music = testing_support::MakeSamples(shape);
    const std::vector<int> noPasses{0, 0, 0};  // one pair of offsets 0: the level-4000 passes copy
    for (int level : {1000, 2000, 3000, 4000})
        for (int version : {3300, 3320, 3600, 3700, 3800, 3830}) {
            const Values residuals = older_encoder::ForwardChannel(level, version, music, noPasses);
            EXPECT_LT(Magnitude(residuals) * 8, Magnitude(music)) << level << " " << version;
        }
}

}  // namespace
