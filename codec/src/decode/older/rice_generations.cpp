// SPDX-License-Identifier: BSD-3-Clause
// The two Rice generations: k chosen from running block sums (below 3860) and
// k adapted value by value (3860 to 3890).
#include "decode/older/rice_bit_reader.h"

#include "coding/range_coding.h"

namespace zem {

namespace {

constexpr int kLeadValues = 5;    // coded with k = 10
constexpr int kLeadK = 10;
constexpr int kWindow = 64;       // values summed to choose k
constexpr int kLastBlockK = 25;   // the last k with a lower bound
constexpr int kLastValueK = 27;   // the last k with an upper bound
constexpr int kLargestShift = 31;
constexpr int32_t kGrowthVersion = 3880;  // above it, long unary runs raise k

int BitLength(uint32_t value) { return value ? 32 - __builtin_clz(value) : 0; }

// Lower bounds of the block generation: 2^(k+6) for k = 1..25, 0 elsewhere;
// the upper bound of k is the lower bound of k + 1.
uint32_t BlockLower(int k) { return k >= 1 && k <= kLastBlockK ? 1u << (k + 6) : 0; }

// Bounds of the value generation: 2^(k+4) for k = 1..27, 0 elsewhere.
uint32_t ValueBound(int k) { return k >= 1 && k <= kLastValueK ? 1u << (k + 4) : 0; }

void MapToSigned(int32_t* values, int32_t from, int32_t to) {
    for (int32_t i = from; i < to; ++i)
        values[i] = range_coding::SignedFromCode(static_cast<uint32_t>(values[i]));
}

// k after the step of the window: down until the sum reaches the lower
// bound, or up until it is below the upper one. The upper bound of k = 25 is
// 0, which no sum is below: k stops at 25 there rather than climbing forever.
int StepBlockK(int k, uint32_t sum) {
    if (sum < BlockLower(k)) {
        while (k > 0 && sum < BlockLower(k))
            --k;
    } else if (sum >= BlockLower(k + 1)) {
        while (k < kLastBlockK && sum >= BlockLower(k + 1))
            ++k;
    }
    return k;
}

}  // namespace

void CRiceBitReader::DecodeBlockAdaptive(int32_t* values, int32_t count, int32_t hint) {
    const int64_t needed = hint > 0 ? int64_t(hint) * 8 + 32 : int64_t(count) * 50;
    if (int64_t(m_bitCount) - int64_t(m_bitIndex) < needed)
        Refill();
    uint32_t* codes = reinterpret_cast<uint32_t*>(values);
    const int32_t lead = count < kLeadValues ? count : kLeadValues;
    uint32_t sum = 0;
    for (int32_t i = 0; i < lead; ++i) {
        codes[i] = ReadUnaryK(kLeadK);
        sum += codes[i];
    }
    if (count <= kLeadValues)
        return MapToSigned(values, 0, count);
    int k = BitLength(sum / 10);
    const int32_t windowEnd = count < kWindow ? count : kWindow;
    for (int32_t i = kLeadValues; i < windowEnd; ++i) {
        codes[i] = ReadUnaryK(k);
        sum += codes[i];
        k = BitLength(sum / uint32_t(i + 1) / 2);
    }
    if (count <= kWindow)
        return MapToSigned(values, 0, count);
    k = BitLength(sum / 128);
    for (int32_t p = 0; p + kWindow < count; ++p) {
        codes[p + kWindow] = ReadUnaryK(k);
        sum += codes[p + kWindow] - codes[p];
        MapToSigned(values, p, p + 1);
        k = StepBlockK(k, sum);
    }
    MapToSigned(values, count - kWindow, count);
}

uint32_t CRiceBitReader::DecodeValue() {
    if (m_bitIndex > m_refillThreshold)
        Refill();
    uint32_t u = ReadUnary();
    if (m_version > kGrowthVersion && u >= 16) {
        // Any growth past 8 steps leaves k above 31 all the same; the cap
        // only keeps the sum from overflowing.
        m_k += 4 * static_cast<int32_t>(u / 16 > 8 ? 8 : u / 16);
        u %= 16;
    }
    if (m_k > kLargestShift) {
        // Only damaged data drives k this far: no shift of 32 or more.
        m_damaged = true;
        return 0;
    }
    const uint32_t code = m_k == 0 ? u : (u << m_k) | ReadBits(m_k);
    m_runningSum += code - ((m_runningSum + 8) >> 4);
    if (m_runningSum < ValueBound(m_k))
        --m_k;
    else if (m_runningSum >= ValueBound(m_k + 1))
        ++m_k;
    return code;
}

void CRiceBitReader::DecodeValueAdaptive(int32_t* values, int32_t count) {
    m_k = 10;
    m_runningSum = 16384;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t code = DecodeValue();
        if (m_damaged) {
            for (int32_t j = i; j < count; ++j)
                values[j] = 0;
            return;
        }
        values[i] = range_coding::SignedFromCode(code);
    }
}

}  // namespace zem
