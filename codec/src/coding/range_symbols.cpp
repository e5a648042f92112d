// SPDX-License-Identifier: BSD-3-Clause
#include "coding/range_symbols.h"

namespace zem {

SymbolFinder::SymbolFinder(const uint32_t* table) : m_table(table) {
    for (uint32_t bucket = 0; bucket < (kLimit >> kBucketBits); ++bucket)
        m_bucketStart[bucket] = static_cast<uint8_t>(range_coding::FindSymbol(table, bucket << kBucketBits));
}

const SymbolFinder& OlderSymbols() {
    static const SymbolFinder finder(range_coding::kOverflowTable1);
    return finder;
}

const SymbolFinder& NewerSymbols() {
    static const SymbolFinder finder(range_coding::kOverflowTable2);
    return finder;
}

}  // namespace zem
