// SPDX-License-Identifier: BSD-3-Clause
// Reconstruction filters of the older streams: each turns one channel's array
// of residuals into samples. They keep no state between calls; several use
// their input array as scratch.
#pragma once

#include <cstdint>
#include <memory>

namespace zem {

class CInversePredictor {
public:
    virtual ~CInversePredictor() = default;
    // Reads input[0..count) and writes output[0..count); may overwrite input.
    // The base does nothing (level 4000 reconstructs in the channel decoder).
    virtual void Reconstruct(int32_t* input, int32_t* output, int count) {}
};

// The member for a compression level and stream version; none for a level
// outside 1000-4000.
std::unique_ptr<CInversePredictor> CreateInversePredictor(int level, int version);

// The members, by name; each reads `in`, writes `out` and may scratch `in`.
namespace inverse_members {
void FirstOrder4000(int32_t* in, int32_t* out, int n);
void Integrator375(int32_t* values, int n);  // in place
void Cascade300(int32_t* in, int32_t* out, int n);
void Poly3000(int32_t* in, int32_t* out, int n);
void Cascade370(int32_t* in, int32_t* out, int n);
void Cascade740(int32_t* in, int32_t* out, int n);
void Step3320(int32_t* in, int32_t* out, int n);
void High3600(int32_t* in, int32_t* out, int n);
void High3700(int32_t* in, int32_t* out, int n);
void High3800(int32_t* in, int32_t* out, int n);
}  // namespace inverse_members

// Building blocks of the members and of level 4000. Elements before the start
// element are copied unchanged; an offset of 0 or a start at or beyond n
// copies everything. Offsets must not exceed the start element.
namespace inverse_blocks {
void OffsetShiftFilter(const int32_t* in, int32_t* out, int n, int offset, int sign, int start);
void OffsetAdaptFilter(const int32_t* in, int32_t* out, int n, int offset, int sign, int start);
void TwoTapFilter(const int32_t* in, int32_t* out, int n, int a, int b, int start);
void StepFilter(const int32_t* in, int32_t* out, int n, int offset, int step);
}  // namespace inverse_blocks

}  // namespace zem
