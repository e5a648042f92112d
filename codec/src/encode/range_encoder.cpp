// SPDX-License-Identifier: BSD-3-Clause
#include "encode/range_encoder.h"

namespace zem {

using namespace range_coding;

void CRangeEncoder::Start(std::vector<uint8_t>* out) {
    m_out = out;
    m_low = 0;
    m_range = kTop;
    m_pending = 0;
    m_pendingFF = 0;
}

// Moves the top byte of the 31-bit window out. A byte can only be written
// once no later carry can change it: a 0xFF byte waits until the next byte
// shows whether a carry turns it (and the byte before it) over.
void CRangeEncoder::ShiftOut() {
    if (m_low < (0xFFu << 23)) {
        Emit(m_pending);
        for (; m_pendingFF; --m_pendingFF)
            Emit(0xFF);
        m_pending = static_cast<uint8_t>(m_low >> 23);
    } else if (m_low & kTop) {
        Emit(static_cast<uint8_t>(m_pending + 1));
        for (; m_pendingFF; --m_pendingFF)
            Emit(0x00);
        m_pending = static_cast<uint8_t>(m_low >> 23);
    } else {
        ++m_pendingFF;
    }
    m_range <<= 8;
    m_low = (m_low << 8) & (kTop - 1);
}

// The reader normalises the same way (both see the same ranges), then takes
// four more bytes into its window; those four carry the final low.
void CRangeEncoder::Finish() {
    Normalise();
    for (int i = 0; i < 4; ++i)
        ShiftOut();
    Emit(m_pending);
    for (; m_pendingFF; --m_pendingFF)
        Emit(0xFF);
}

void CRangeEncoder::EncodeSymbol(const uint32_t* table, int symbol) {
    Normalise();
    uint32_t r = m_range >> 16;
    m_low += r * table[symbol];
    m_range = r * (table[symbol + 1] - table[symbol]);
}

void CRangeEncoder::EncodeBits(uint32_t value, int bits) {
    Normalise();
    // As in the reader, a range too small for the bits asked becomes 1 (such
    // values cannot be coded; callers keep within 23 bits per step).
    uint32_t r = m_range >> bits;
    r = r ? r : 1;
    m_low += r * value;
    m_range = r;
}

void CRangeEncoder::EncodeBelow(uint32_t value, uint32_t total) {
    Normalise();
    uint32_t r = m_range / total;
    m_low += r * value;
    m_range = r;
}

void CRangeEncoder::EncodeCode3990(const RangeModelState& state, uint32_t code) {
    uint32_t pivot = Pivot(state);
    uint32_t overflow = code / pivot;
    uint32_t base = code % pivot;
    if (overflow >= kEscapeSymbol) {
        EncodeSymbol(kOverflowTable2, kEscapeSymbol);
        EncodeBits(overflow >> 16, 16);
        EncodeBits(overflow & 0xFFFF, 16);
    } else {
        EncodeSymbol(kOverflowTable2, static_cast<int>(overflow));
    }
    if (pivot < 65536) {
        EncodeBelow(base, pivot);
    } else {
        int shift = BitLength(pivot) - 16;
        uint32_t split = 1u << shift;
        EncodeBelow(base >> shift, pivot / split + 1);
        EncodeBelow(base & (split - 1), split);
    }
}

// Codes of the older generation must stay below 2^31 (a 5-bit escape length),
// and below 2^23 before version 3910, which reads k' bits in one step.
void CRangeEncoder::EncodeCode3900(const RangeModelState& state, uint32_t code) {
    int kBits = state.k > 0 ? state.k - 1 : 0;
    uint32_t overflow = code >> kBits;
    if (overflow >= kEscapeSymbol) {
        kBits = BitLength(code);
        EncodeSymbol(kOverflowTable1, kEscapeSymbol);
        EncodeBits(static_cast<uint32_t>(kBits), 5);
    } else {
        EncodeSymbol(kOverflowTable1, static_cast<int>(overflow));
    }
    uint32_t base = code & ((1u << kBits) - 1);
    if (kBits <= 16 || m_version < 3910) {
        EncodeBits(base, kBits);
    } else {
        EncodeBits(base & 0xFFFF, 16);
        EncodeBits(base >> 16, kBits - 16);
    }
}

void CRangeEncoder::EncodeAdaptiveValue(RangeModelState& state, int32_t value) {
    uint32_t code = CodeFromSigned(value);
    if (m_version >= 3990)
        EncodeCode3990(state, code);
    else
        EncodeCode3900(state, code);
    AdaptModel(state, code);
}

}  // namespace zem
