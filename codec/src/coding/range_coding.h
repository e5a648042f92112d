// SPDX-License-Identifier: BSD-3-Clause
// Tables and rules shared by the range decoder and the range encoder: the
// overflow symbol tables of both generations, the k boundaries, the running
// sum update and the signed mapping of codes.
#pragma once

#include <climits>
#include <cstdint>

namespace zem {

// Per-channel adaptive state of the range-coded residuals.
struct RangeModelState {
    int32_t k = 10;
    uint32_t runningSum = 16384;
};

namespace range_coding {

constexpr uint32_t kBottom = 1u << 23;  // normalisation bound
constexpr uint32_t kTop = 1u << 31;     // the encoder's full range
constexpr int kEscapeSymbol = 63;
constexpr int kSymbols = 64;
constexpr int kLargestK = 27;  // the last k with an upper boundary

// Cumulative counts: symbol s covers [T[s], T[s+1]) of 65536. Constants the
// compiler sees, so that the decoder's comparisons take them as immediates.
// Versions 3900..3989.
inline constexpr uint32_t kOverflowTable1[kSymbols + 1] = {
    0,     14824, 28224, 39348, 47855, 53994, 58171, 60926, 62682, 63786, 64463, 64878, 65126,
    65276, 65365, 65419, 65450, 65469, 65480, 65487, 65491, 65493, 65494, 65495, 65496, 65497,
    65498, 65499, 65500, 65501, 65502, 65503, 65504, 65505, 65506, 65507, 65508, 65509, 65510,
    65511, 65512, 65513, 65514, 65515, 65516, 65517, 65518, 65519, 65520, 65521, 65522, 65523,
    65524, 65525, 65526, 65527, 65528, 65529, 65530, 65531, 65532, 65533, 65534, 65535, 65536};

// Versions 3990 and later.
inline constexpr uint32_t kOverflowTable2[kSymbols + 1] = {
    0,     19578, 36160, 48417, 56323, 60899, 63265, 64435, 64971, 65232, 65351, 65416, 65447,
    65466, 65476, 65482, 65485, 65488, 65490, 65491, 65492, 65493, 65494, 65495, 65496, 65497,
    65498, 65499, 65500, 65501, 65502, 65503, 65504, 65505, 65506, 65507, 65508, 65509, 65510,
    65511, 65512, 65513, 65514, 65515, 65516, 65517, 65518, 65519, 65520, 65521, 65522, 65523,
    65524, 65525, 65526, 65527, 65528, 65529, 65530, 65531, 65532, 65533, 65534, 65535, 65536};

inline constexpr uint32_t kKSumBoundary[32] = {
    0,        1u << 5,  1u << 6,  1u << 7,  1u << 8,  1u << 9,  1u << 10, 1u << 11,
    1u << 12, 1u << 13, 1u << 14, 1u << 15, 1u << 16, 1u << 17, 1u << 18, 1u << 19,
    1u << 20, 1u << 21, 1u << 22, 1u << 23, 1u << 24, 1u << 25, 1u << 26, 1u << 27,
    1u << 28, 1u << 29, 1u << 30, 1u << 31, 0,        0,        0,        0};

// The symbol whose interval holds `frequency`; 63 for anything at or past T[63].
inline int FindSymbol(const uint32_t* table, uint32_t frequency) {
    if (frequency < table[1])
        return 0;
    int s = 1;
    while (s < kEscapeSymbol && frequency >= table[s + 1])
        ++s;
    return s;
}

// Codes map to signed residuals 0, 1, -1, 2, -2, ...
// Written without a branch: the low bit is as good as random.
inline int32_t SignedFromCode(uint32_t code) {
    const uint32_t odd = code & 1;
    const uint32_t flip = odd - 1;  // all ones for an even code, which is negated
    return static_cast<int32_t>((((code >> 1) + odd) ^ flip) - flip);
}
// The most negative value is the code 0xFFFFFFFF's (2^31 read as 32 bits).
inline uint32_t CodeFromSigned(int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    return (value > 0 || value == INT32_MIN) ? 2 * v - 1 : 0u - 2 * v;
}

// The model step after each value: running sum, then k one step toward it.
// k never climbs past the last boundary, where the table's upper bound ends.
inline void AdaptRunningSum(RangeModelState& state, uint32_t code) {
    state.runningSum += (code + 1) / 2 - ((state.runningSum + 16) >> 5);
}

inline void AdaptModel(RangeModelState& state, uint32_t code) {
    AdaptRunningSum(state, code);
    // Without branches: k moves at random times, and the decoder's long chain
    // of dependent steps would wait out every misprediction.
    const int32_t k = state.k;
    const bool down = state.runningSum < kKSumBoundary[k];
    // k stays within 0..kLargestK, so k + 1 is always inside the table.
    const bool up = (k < kLargestK) & (state.runningSum >= kKSumBoundary[k + 1]);
    state.k = k + static_cast<int32_t>(up & !down) - static_cast<int32_t>(down);
}

// The pivot of the newer generation: the running sum / 32, at least 1.
inline uint32_t Pivot(const RangeModelState& state) {
    uint32_t pivot = state.runningSum >> 5;
    return pivot ? pivot : 1;
}

// Bit length of v (0 for 0).
inline int BitLength(uint32_t v) { return v ? 32 - __builtin_clz(v) : 0; }

}  // namespace range_coding

}  // namespace zem
