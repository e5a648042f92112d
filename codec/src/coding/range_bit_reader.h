// SPDX-License-Identifier: BSD-3-Clause
// Reader of range-coded residuals (stream versions 3900 and later): an
// overflow symbol from a fixed table, then either k low bits (before 3990) or
// a base below a pivot taken from the running sum (3990 and later).
#pragma once

#include "coding/bit_reader.h"
#include "coding/range_cursor.h"

namespace zem {

class CRangeBitReader : public CBitReader {
public:
    static constexpr int32_t kBufferBytes = 16384;

    void DecodeArray(int32_t* values, int32_t count, int32_t hint) override;
    uint32_t ReadCodedValue(int method, int32_t parameter = 0) override;
    int32_t DecodeAdaptiveValue(RangeModelState& state) override;
    void DecodeAdaptiveValues(RangeModelState& state, int32_t* out, int32_t n) override;
    void DecodeAdaptivePairs(RangeModelState& first, int32_t* a, RangeModelState& second, int32_t* b,
                             int32_t n) override;
    void ResetModelState(RangeModelState& state) override;
    void StartRange() override;
    void FinishRange() override;
    int Init(CStreamIo* file, int32_t bytes, int32_t version) override;
    int Refill() override;
    int Reload(int32_t filePosition, uint32_t bitIndex) override;

    // A run of values: the decoder's fixed parts, and a working copy of its
    // registers, which the caller keeps in a local of its own (so that they
    // stay in processor registers) and hands back with Finish.
    RangeCursor Cursor();
    RangeRegisters Registers() const;
    void Finish(RangeRegisters registers);  // by value: the caller's copy never escapes

private:
    friend class RangeCursor;
    // Refills the buffer around a cursor's index; returns the index moved with it.
    uint32_t RefillAt(uint32_t bitIndex);

    // The buffer's bytes in reading order (the words' bytes last to first), so
    // that the decoder takes bytes with one load; made anew whenever the
    // buffer changes.
    void MirrorBytes();

    RangeRegisters m_registers;  // the bit index lives in m_bitIndex between runs
    std::vector<uint8_t> m_bytes;
    uint32_t m_refillThreshold = 0;
};

}  // namespace zem
