#include "tessarine/codec/decode/range_bit_reader.h"

using namespace range_coding;

// Damaged data can ask for more bits than the range holds; a range of 0 would
// divide by zero and never normalise, so it becomes 1 (the frame check then
// rejects the frame).
static inline uint32_t NonZero(uint32_t range) { return range ? range : 1; }

uint32_t CRangeBitReader::DecodeFrequency(int bits) {
    Normalise();
    m_range = NonZero(m_range >> bits);
    return m_low / m_range;
}

uint32_t CRangeBitReader::DecodeBits(int bits) {
    Normalise();
    m_range = NonZero(m_range >> bits);
    uint32_t value = m_low / m_range;
    m_low -= value * m_range;
    return value;
}

uint32_t CRangeBitReader::DecodeBelow(uint32_t total) {
    Normalise();
    m_range = NonZero(m_range / total);
    uint32_t value = m_low / m_range;
    m_low -= value * m_range;
    return value;
}

void CRangeBitReader::RemoveSymbol(const uint32_t* table, int symbol) {
    m_low -= m_range * table[symbol];
    m_range *= table[symbol + 1] - table[symbol];
}

int CRangeBitReader::DecodeSymbol(const uint32_t* table) {
    int symbol = FindSymbol(table, DecodeFrequency(16));
    RemoveSymbol(table, symbol);
    return symbol;
}

uint32_t CRangeBitReader::DecodeCode3990(const RangeModelState& state) {
    uint32_t pivot = Pivot(state);
    uint32_t overflow = static_cast<uint32_t>(DecodeSymbol(kOverflowTable2));
    if (overflow == kEscapeSymbol) {
        uint32_t high = DecodeBits(16);
        overflow = (high << 16) | DecodeBits(16);
    }
    uint32_t base;
    if (pivot < 65536) {
        base = DecodeBelow(pivot);
    } else {
        int shift = BitLength(pivot) - 16;
        uint32_t split = 1u << shift;
        uint32_t high = DecodeBelow(pivot / split + 1);
        base = high * split + DecodeBelow(split);
    }
    return overflow * pivot + base;
}

uint32_t CRangeBitReader::DecodeCode3900(const RangeModelState& state) {
    int symbol = DecodeSymbol(kOverflowTable1);
    uint32_t overflow = 0;
    int kBits;
    if (symbol == kEscapeSymbol) {
        // Five bits; only damaged data can give more, and shifts must stay below 32.
        kBits = static_cast<int>(DecodeBits(5) & 31);
    } else {
        overflow = static_cast<uint32_t>(symbol);
        kBits = state.k > 0 ? state.k - 1 : 0;
    }
    uint32_t base = 0;
    if (kBits <= 16 || m_version < 3910) {
        base = DecodeBits(kBits);
    } else {
        uint32_t low16 = DecodeBits(16);
        base = (DecodeBits(kBits - 16) << 16) | low16;
    }
    // Shifts of 32 bits or more leave nothing of the overflow.
    return base + (kBits < 32 ? overflow << kBits : 0);
}

int32_t CRangeBitReader::DecodeAdaptiveValue(RangeModelState& state) {
    if (m_bitIndex > m_refillThreshold)
        Refill();
    uint32_t code = m_version >= 3990 ? DecodeCode3990(state) : DecodeCode3900(state);
    AdaptModel(state, code);
    return SignedFromCode(code);
}

void CRangeBitReader::ResetModelState(RangeModelState& state) {
    state.k = 10;
    state.runningSum = 16384;
}

void CRangeBitReader::StartRange() {
    m_refillThreshold = static_cast<uint32_t>(m_bitCount - 512);
    // The frame header's raw words may have left the index close to the end of
    // the buffer; the first normalisation reads ahead, so make room first.
    if (m_bitIndex > m_refillThreshold)
        Refill();
    AlignToByte();
    m_bitIndex += 8;
    m_byteBuffer = ByteAt(m_bitIndex);
    m_bitIndex += 8;
    m_low = m_byteBuffer >> 1;
    m_range = 1u << 7;
}

void CRangeBitReader::FinishRange() {
    while (m_range <= kBottom) {
        m_bitIndex += 8;
        m_range <<= 8;
    }
    if (m_version <= 3950)
        m_bitIndex -= 16;
}

uint32_t CRangeBitReader::ReadCodedValue(int method, int32_t) { return method == 0 ? ReadBits(32) : 0; }

void CRangeBitReader::DecodeArray(int32_t* values, int32_t count, int32_t) {
    RangeModelState state;
    ResetModelState(state);
    StartRange();
    for (int32_t i = 0; i < count; ++i)
        values[i] = DecodeAdaptiveValue(state);
    FinishRange();
}
