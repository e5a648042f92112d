// SPDX-License-Identifier: BSD-3-Clause
// The encoding direction of the older streams' reconstruction filters: each
// function takes the values a decoder's filter must produce and returns the
// values it must be given, so that the filter gives them back bit for bit.
// Every weight a filter adapts steps on values both directions know (the
// incoming value, once the encoder has worked it out, and earlier outputs),
// so the encoder walks each stage forward value by value, and the stages of a
// member in the reverse of the order the decoder runs them.
#pragma once

#include <cstdint>
#include <vector>

namespace older_encoder {

using Values = std::vector<int32_t>;

// The building blocks: `out` is what the decoder's block writes, the result
// what it must read. Values before the start element (the offset, for
// StepInput) pass unchanged, and so does everything when an offset is 0 or
// the start is at or beyond the end.
namespace forward_blocks {
Values OffsetShiftInput(const Values& out, int offset, int sign, int start);
Values OffsetAdaptInput(const Values& out, int offset, int sign, int start);
Values TwoTapInput(const Values& out, int a, int b, int start);
Values StepInput(const Values& out, int offset, int step);
}  // namespace forward_blocks

// The members: samples in, residuals out.
namespace forward_members {
Values FirstOrder4000(const Values& samples);
Values Integrator375(const Values& samples);
Values Cascade300(const Values& samples);
Values Poly3000(const Values& samples);
Values Cascade370(const Values& samples);
Values Cascade740(const Values& samples);
Values Step3320(const Values& samples);
Values High3600(const Values& samples);
Values High3700(const Values& samples);
Values High3800(const Values& samples);
// The level-4000 cascade from 3800 on (128 taps below 3830, 256 from it).
Values SignCascade4000(const Values& samples, int version);
}  // namespace forward_members

// One channel of a level and version: samples in, residuals out. Level 4000
// below 3800 takes its filter parameters as the stream stores them: the
// count, then each pair's P and Q.
Values ForwardChannel(int level, int version, const Values& samples, const std::vector<int>& parameters);

}  // namespace older_encoder
