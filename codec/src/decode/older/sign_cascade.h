// SPDX-License-Identifier: BSD-3-Clause
// The level-4000 reconstruction of streams from version 3800 on: a short
// sign-adaptive stage (from 3830), one long 128- or 256-tap sign-adaptive
// filter on 16-bit values, two short stages and a leaky integrator.
#pragma once

#include <cstdint>
#include <vector>

namespace zem {

struct FilterKernels;

class CSignCascade4000 {
public:
    // The long filter runs on `kernels` (by default the best the processor
    // offers); every table gives the same results as the scalar one.
    explicit CSignCascade4000(int version, const FilterKernels* kernels = nullptr);

    // Reads in[0..n) (used as scratch) and writes out[0..n). When `pause` is
    // positive the processor is yielded for a millisecond every `pause` values.
    void Reconstruct(int32_t* in, int32_t* out, int n, int pause = 0);

    int Taps() const { return m_taps; }

private:
    int32_t ShortStage(int32_t t);
    int32_t LongStage(int32_t r, int i);

    const FilterKernels* m_kernels;
    int m_version;
    int m_taps;       // 128 below 3830, 256 from it
    int m_shiftLong;  // the long filter's shift
    int m_shiftLeak;  // the integrating stage's shift
    std::vector<int16_t> m_values, m_signs, m_coefficients;
    int32_t m_history[8] = {}, m_weights[8] = {};  // the short stage, most recent first
};

}  // namespace zem
