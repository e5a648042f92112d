// SPDX-License-Identifier: BSD-3-Clause
#include "coding/range_bit_reader.h"

#include "container/codec_error.h"

#include <cstring>
#include <new>

namespace zem {

using namespace range_coding;

uint32_t RangeCursor::Refill(uint32_t bitIndex) const { return m_reader.RefillAt(bitIndex); }

uint32_t CRangeBitReader::RefillAt(uint32_t bitIndex) {
    m_bitIndex = bitIndex;
    Refill();
    return m_bitIndex;
}

RangeCursor CRangeBitReader::Cursor() { return RangeCursor(*this, m_bytes.data(), m_refillThreshold, m_version); }

int CRangeBitReader::Init(CStreamIo* file, int32_t bytes, int32_t version) {
    const int result = CBitReader::Init(file, bytes, version);
    if (result != CODEC_OK)
        return result;
    // The copy is made here at its full size; later refills only rewrite it.
    try {
        m_bytes.assign(m_buffer.size() * 4, 0);
    } catch (const std::bad_alloc&) {
        return CODEC_NO_MEMORY;
    }
    return CODEC_OK;
}

// Up to version 3950 a block's end steps back 16 bits, over bytes read
// before the last value; when that value came right after a refill, those
// bytes must still be in the buffer. So a refill keeps the word in front of
// the index: the index stays at 32 or more, and the step back never leaves
// the buffer.
int CRangeBitReader::Refill() {
    const int result = RefillKeeping(1);
    MirrorBytes();
    return result;
}

// A seek to a frame the buffer already holds (the next frame, or one a little
// further on) moves the index only: a stream of tiny frames decoded frame by
// frame after seeks then reads each byte of the file about once.
int CRangeBitReader::Reload(int32_t filePosition, uint32_t bitIndex) {
    if (filePosition != -1 && MoveWithinBuffer(filePosition, bitIndex))
        return CODEC_OK;
    const int result = CBitReader::Reload(filePosition, bitIndex);
    MirrorBytes();
    return result;
}

void CRangeBitReader::MirrorBytes() {
    // Same size as the buffer, slack included, so reads ahead stay inside.
    if (m_bytes.size() != m_buffer.size() * 4)
        return;  // Init failed; the buffer is unusable as well
    for (size_t i = 0; i < m_buffer.size(); ++i) {
        const uint32_t word = __builtin_bswap32(m_buffer[i]);
        std::memcpy(&m_bytes[i * 4], &word, 4);
    }
}

RangeRegisters CRangeBitReader::Registers() const {
    RangeRegisters registers = m_registers;
    registers.bitIndex = m_bitIndex;
    return registers;
}

void CRangeBitReader::Finish(RangeRegisters registers) {
    m_registers = registers;
    m_bitIndex = registers.bitIndex;
}

int32_t CRangeBitReader::DecodeAdaptiveValue(RangeModelState& state) {
    int32_t value = 0;
    DecodeAdaptiveValues(state, &value, 1);
    return value;
}

void CRangeBitReader::DecodeAdaptiveValues(RangeModelState& state, int32_t* out, int32_t n) {
    const RangeCursor cursor = Cursor();
    RangeRegisters registers = Registers();
    RangeModelState s = state;
    if (cursor.Newer()) {
        for (int32_t i = 0; i < n; ++i)
            out[i] = cursor.Decode<true>(registers, s);
    } else {
        for (int32_t i = 0; i < n; ++i)
            out[i] = cursor.Decode<false>(registers, s);
    }
    state = s;
    Finish(registers);
}

void CRangeBitReader::DecodeAdaptivePairs(RangeModelState& first, int32_t* a, RangeModelState& second, int32_t* b,
                                          int32_t n) {
    const RangeCursor cursor = Cursor();
    RangeRegisters registers = Registers();
    RangeModelState s1 = first, s2 = second;
    if (cursor.Newer()) {
        for (int32_t i = 0; i < n; ++i) {
            a[i] = cursor.Decode<true>(registers, s1);
            b[i] = cursor.Decode<true>(registers, s2);
        }
    } else {
        for (int32_t i = 0; i < n; ++i) {
            a[i] = cursor.Decode<false>(registers, s1);
            b[i] = cursor.Decode<false>(registers, s2);
        }
    }
    first = s1;
    second = s2;
    Finish(registers);
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
    const uint32_t first = ByteAt(m_bitIndex);
    m_bitIndex += 8;
    m_registers.lowCarry = first;
    m_registers.range = 1u << 7;
}

void CRangeBitReader::FinishRange() {
    while (m_registers.range <= kBottom) {
        m_bitIndex += 8;
        m_registers.range <<= 8;
    }
    if (m_version <= 3950)
        m_bitIndex -= 16;
}

uint32_t CRangeBitReader::ReadCodedValue(int method, int32_t) { return method == 0 ? ReadBits(32) : 0; }

void CRangeBitReader::DecodeArray(int32_t* values, int32_t count, int32_t) {
    RangeModelState state;
    ResetModelState(state);
    StartRange();
    DecodeAdaptiveValues(state, values, count);
    FinishRange();
}

}  // namespace zem
