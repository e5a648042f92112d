// SPDX-License-Identifier: BSD-3-Clause
// A channel's whole reconstruction in the encoding direction: the member of
// the level and version, and for level 4000 below 3800 the filter passes the
// decoder runs ahead of its member, undone in the reverse order.
#include "tests/older_encoder/forward_predictor.h"

namespace older_encoder {

namespace {

using namespace forward_members;

Values MemberForward(int level, int version, const Values& samples) {
    if (level == 1000)
        return version < 3320 ? FirstOrder4000(samples) : Integrator375(samples);
    if (level == 2000)
        return version < 3320 ? Cascade300(samples) : version < 3800 ? Cascade370(samples) : Cascade740(samples);
    if (version < 3320)
        return Poly3000(samples);
    if (version < 3600)
        return Step3320(samples);
    return version < 3700 ? High3600(samples) : version < 3800 ? High3700(samples) : High3800(samples);
}

// The decoder runs, for pair i = count down to 0, a subtracting pass with Q[i]
// and then an adding one with P[i]; the encoder undoes them from pair 0 up.
Values UndoOffsetPasses(Values values, const std::vector<int>& parameters, bool adaptive) {
    const auto undo = adaptive ? forward_blocks::OffsetAdaptInput : forward_blocks::OffsetShiftInput;
    const int start = adaptive ? 32 : 64;
    for (int i = 0; i <= parameters[0]; ++i) {
        values = undo(values, parameters[1 + 2 * i], +1, start);
        values = undo(values, parameters[2 + 2 * i], -1, start);
    }
    return values;
}

// The decoder runs one two-tap pass for each pair from count down to 0.
Values UndoPairPasses(Values values, const std::vector<int>& parameters) {
    for (int i = 0; i <= parameters[0]; ++i)
        values = forward_blocks::TwoTapInput(values, parameters[1 + 2 * i], parameters[2 + 2 * i], 64);
    return values;
}

Values Level4000Forward(int version, const Values& samples, const std::vector<int>& parameters) {
    if (version >= 3800)
        return SignCascade4000(samples, version);
    if (version < 3600)
        return UndoOffsetPasses(Poly3000(samples), parameters, version >= 3320);
    return UndoPairPasses(version < 3700 ? High3600(samples) : High3700(samples), parameters);
}

}  // namespace

Values ForwardChannel(int level, int version, const Values& samples, const std::vector<int>& parameters) {
    if (level == 4000)
        return Level4000Forward(version, samples, parameters);
    return MemberForward(level, version, samples);
}

}  // namespace older_encoder
