// SPDX-License-Identifier: BSD-3-Clause
// The range encoder: the exact inverse of CRangeBitReader. It writes the
// coded bytes of one block in reading order (the output writer later stores
// each group of four last-to-first, the way the reader takes them).
#pragma once

#include "coding/range_coding.h"

#include <cstdint>
#include <vector>

namespace zem {

class CRangeEncoder {
public:
    explicit CRangeEncoder(int32_t version) : m_version(version) {}

    // Begins a coded block at the end of `out`: one lead byte the reader skips.
    void Start(std::vector<uint8_t>* out);
    // Ends the block so that a reader's FinishRange stops right behind it.
    void Finish();

    // The primitives, each the mirror of one reader step.
    void EncodeSymbol(const uint32_t* table, int symbol);
    void EncodeBits(uint32_t value, int bits);
    void EncodeBelow(uint32_t value, uint32_t total);

    // One residual with the adaptive model, as DecodeAdaptiveValue reads it.
    void EncodeAdaptiveValue(RangeModelState& state, int32_t value);

private:
    void ShiftOut();
    void Normalise() {
        while (m_range <= range_coding::kBottom)
            ShiftOut();
    }
    void Emit(uint8_t byte) { m_out->push_back(byte); }
    void EncodeCode3990(const RangeModelState& state, uint32_t code);
    void EncodeCode3900(const RangeModelState& state, uint32_t code);

    int32_t m_version;
    std::vector<uint8_t>* m_out = nullptr;
    uint32_t m_low = 0;    // bit 31 is a carry not yet passed on
    uint32_t m_range = 0;
    uint8_t m_pending = 0;    // the last byte out, held back for a carry
    uint32_t m_pendingFF = 0;  // 0xFF bytes behind it, also held back
};

}  // namespace zem
