// Reader of range-coded residuals (stream versions 3900 and later): an
// overflow symbol from a fixed table, then either k low bits (before 3990) or
// a base below a pivot taken from the running sum (3990 and later).
#pragma once

#include "tessarine/codec/decode/bit_reader.h"
#include "tessarine/codec/decode/range_coding.h"

class CRangeBitReader : public CBitReader {
public:
    static constexpr int32_t kBufferBytes = 16384;

    void DecodeArray(int32_t* values, int32_t count, int32_t hint) override;
    uint32_t ReadCodedValue(int method, int32_t parameter = 0) override;
    int32_t DecodeAdaptiveValue(RangeModelState& state) override;
    void ResetModelState(RangeModelState& state) override;
    void StartRange() override;
    void FinishRange() override;

private:
    // Pulls bytes until the range is above the normalisation bound.
    void Normalise() {
        while (m_range <= range_coding::kBottom) {
            m_byteBuffer = (m_byteBuffer << 8) | ByteAt(m_bitIndex);
            m_bitIndex += 8;
            m_low = (m_low << 8) | ((m_byteBuffer >> 1) & 0xFFu);
            m_range <<= 8;
        }
    }
    uint32_t DecodeFrequency(int bits);
    uint32_t DecodeBits(int bits);
    uint32_t DecodeBelow(uint32_t total);
    void RemoveSymbol(const uint32_t* table, int symbol);
    int DecodeSymbol(const uint32_t* table);
    uint32_t DecodeCode3990(const RangeModelState& state);
    uint32_t DecodeCode3900(const RangeModelState& state);

    uint32_t m_low = 0;
    uint32_t m_range = 0;
    uint32_t m_byteBuffer = 0;
    uint32_t m_refillThreshold = 0;
};
