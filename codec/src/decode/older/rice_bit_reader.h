// SPDX-License-Identifier: BSD-3-Clause
// Reader of Rice-coded residuals (stream versions below 3900): unary counts
// with k low bits, k chosen from running block sums (below 3860) or adapted
// value by value (3860 to 3890).
#pragma once

#include "coding/bit_reader.h"

namespace zem {

class CRiceBitReader : public CBitReader {
public:
    static constexpr int32_t kFirstValueAdaptiveVersion = 3860;
    static constexpr int32_t kLastValueAdaptiveVersion = 3890;

    // Sizes the buffer for `version` (see RiceBufferBytes) and allocates it.
    int Setup(CStreamIo* file, int32_t version, int32_t blocksPerFrame);

    void DecodeArray(int32_t* values, int32_t count, int32_t hint) override;
    // Method 0: 32 raw bits; 1: a unary/k value with k = parameter; 2: parameter raw bits.
    uint32_t ReadCodedValue(int method, int32_t parameter = 0) override;

    // Set when damaged data left a value undecodable (a unary run past the
    // data, or k beyond 31); the frame that caused it must fail. Cleared by Reload.
    bool Damaged() const { return m_damaged; }
    int Reload(int32_t filePosition, uint32_t bitIndex) override;

private:
    // The count of 0 bits before the next 1 bit, which is consumed.
    uint32_t ReadUnary();
    // (u << k) | k raw bits.
    uint32_t ReadUnaryK(int k);
    void DecodeBlockAdaptive(int32_t* values, int32_t count, int32_t hint);
    void DecodeValueAdaptive(int32_t* values, int32_t count);
    uint32_t DecodeValue();

    int32_t m_k = 0;
    uint32_t m_runningSum = 0;
    uint32_t m_refillThreshold = 0;
    bool m_damaged = false;
};

// Buffer bytes and refill threshold (in bits) of the Rice reader for a stream.
int32_t RiceBufferBytes(int32_t version, int32_t blocksPerFrame);
uint32_t RiceRefillThreshold(int32_t version, int32_t bufferBytes);

}  // namespace zem
