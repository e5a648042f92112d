// SPDX-License-Identifier: BSD-3-Clause
// Fast symbol lookup in the overflow tables: a table of buckets gives the
// symbol at the start of the frequency's bucket; the bucket holds at most a
// few boundaries, so a short step forward finds the symbol.
#pragma once

#include "coding/range_coding.h"

#include <cstdint>

namespace zem {

class SymbolFinder {
public:
    explicit SymbolFinder(const uint32_t* table);

    // The same symbol as range_coding::FindSymbol(table, frequency).
    int Find(uint32_t frequency) const {
        const uint32_t clamped = frequency < kLimit ? frequency : kLimit - 1;
        int symbol = m_bucketStart[clamped >> kBucketBits];
        symbol += clamped >= m_table[symbol + 1];
        while (symbol < range_coding::kEscapeSymbol && clamped >= m_table[symbol + 1])
            ++symbol;
        return symbol;
    }

    // The decoder tells symbols 0..kCompared by comparisons alone.
    static constexpr int kCompared = 5;

private:
    static constexpr int kBucketBits = 7;
    static constexpr uint32_t kLimit = 65536;  // the tables' total; anything past it is the escape

    const uint32_t* m_table;
    uint8_t m_bucketStart[kLimit >> kBucketBits];
};

const SymbolFinder& OlderSymbols();  // versions 3900..3989
const SymbolFinder& NewerSymbols();  // versions 3990 and later

}  // namespace zem
