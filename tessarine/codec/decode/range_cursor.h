// The range decoder's arithmetic on a working copy of its registers. The
// frame decoder's block loop holds a RangeCursor and the registers as a local
// of its own (handed back by value), so that the decoder's state stays in
// processor registers and its long chain of divisions can overlap the
// predictors' work.
#pragma once

#include "tessarine/codec/decode/range_coding.h"
#include "tessarine/codec/decode/range_symbols.h"

#include <cstdint>

// The decoder's registers. `carry` is the lowest bit of the last byte taken:
// the low end runs one bit behind the bytes.
struct RangeRegisters {
    uint32_t low = 0;
    uint32_t range = 0;
    uint32_t carry = 0;
    uint32_t bitIndex = 0;
};

// The decoder's steps are inlined into the block loops that drive them.
#define ZEM_RANGE_INLINE inline __attribute__((always_inline))

namespace range_cursor {

using namespace range_coding;

// Damaged data can ask for more bits than the range holds; a range of 0 would
// divide by zero and never normalise, so it becomes 1 (the frame check then
// rejects the frame).
ZEM_RANGE_INLINE uint32_t NonZero(uint32_t range) { return range ? range : 1; }

// The 32 bits from a byte-aligned index, first byte highest. Within a 32-bit
// word bits run from the most significant end.
ZEM_RANGE_INLINE uint32_t Peek32(const uint32_t* words, uint32_t bitIndex) {
    const uint64_t pair = (uint64_t(words[bitIndex >> 5]) << 32) | words[(bitIndex >> 5) + 1];
    return static_cast<uint32_t>((pair << (bitIndex & 31)) >> 32);
}

// Takes whole bytes until the range is above the normalisation bound: the
// count follows from the range's leading zeros (range <= 2^23 exactly when
// range - 1 has at least 9), so no branch depends on the data.
ZEM_RANGE_INLINE void Normalise(RangeRegisters& r, const uint32_t* words) {
    const uint32_t bytes = static_cast<uint32_t>(__builtin_clz((r.range - 1) | 1) - 1) >> 3;
    const uint32_t bits = bytes * 8;
    const uint32_t taken = static_cast<uint32_t>((uint64_t(Peek32(words, r.bitIndex)) << bits) >> 32);
    r.low = (r.low << bits) | static_cast<uint32_t>(((uint64_t(r.carry) << bits) | taken) >> 1);
    r.carry = bytes ? (taken & 1) : r.carry;
    r.range <<= bits;
    r.bitIndex += bits;
}

ZEM_RANGE_INLINE uint32_t DecodeBits(RangeRegisters& r, const uint32_t* words, int bits) {
    Normalise(r, words);
    r.range = NonZero(r.range >> bits);
    const uint32_t value = r.low / r.range;
    r.low -= value * r.range;
    return value;
}

ZEM_RANGE_INLINE uint32_t DecodeBelow(RangeRegisters& r, const uint32_t* words, uint32_t total) {
    Normalise(r, words);
    r.range = NonZero(r.range / total);
    const uint32_t value = r.low / r.range;
    r.low -= value * r.range;
    return value;
}

// The symbol whose interval holds low / (range >> 16). The first symbols,
// which carry most values, are told by comparing low with their bounds
// times the range instead: multiplies that run side by side, where the
// division would hold up everything after it.
ZEM_RANGE_INLINE uint32_t DecodeSymbol(RangeRegisters& r, const uint32_t* words, const SymbolFinder& finder) {
    Normalise(r, words);
    r.range = NonZero(r.range >> 16);
    const uint32_t* table = finder.Table();
    // range >> 16 and every bound are below 2^16, so no product wraps.
    const uint32_t low = r.low, range = r.range;
    int symbol;
    if (low < range * table[SymbolFinder::kCompared + 1]) {
        symbol = 0;
        for (int s = 1; s <= SymbolFinder::kCompared; ++s)
            symbol += low >= range * table[s];
    } else {
        symbol = finder.Find(low / range);
    }
    r.low -= range * table[symbol];
    r.range = range * (table[symbol + 1] - table[symbol]);
    return static_cast<uint32_t>(symbol);
}

// n / d for a d known ahead: with reciprocal = 2^64 / d rounded up, the high
// half of reciprocal * n is the quotient for every 32-bit n (a multiply in
// place of a division). A d of 1 has no 64-bit reciprocal.
ZEM_RANGE_INLINE uint64_t Reciprocal(uint32_t d) { return ~uint64_t(0) / d + 1; }
ZEM_RANGE_INLINE uint32_t DivideBy(uint32_t n, uint32_t d, uint64_t reciprocal) {
    return d == 1 ? n : static_cast<uint32_t>((static_cast<unsigned __int128>(reciprocal) * n) >> 64);
}

// DecodeBelow with the division by the total done through its reciprocal.
ZEM_RANGE_INLINE uint32_t DecodeBelowKnown(RangeRegisters& r, const uint32_t* words, uint32_t total,
                                          uint64_t reciprocal) {
    Normalise(r, words);
    r.range = NonZero(DivideBy(r.range, total, reciprocal));
    const uint32_t value = r.low / r.range;
    r.low -= value * r.range;
    return value;
}

// Newer generation: the overflow times the pivot, plus a base below it.
ZEM_RANGE_INLINE uint32_t DecodeCode3990(RangeRegisters& r, const uint32_t* words, const RangeModelState& state,
                               const SymbolFinder& symbols) {
    // The pivot is known before the symbol, so its reciprocal is ready by the time it is needed.
    const uint32_t pivot = Pivot(state);
    const uint64_t reciprocal = Reciprocal(pivot);
    uint32_t overflow = DecodeSymbol(r, words, symbols);
    if (overflow == kEscapeSymbol) {
        const uint32_t high = DecodeBits(r, words, 16);
        overflow = (high << 16) | DecodeBits(r, words, 16);
    }
    if (pivot < 65536)
        return overflow * pivot + DecodeBelowKnown(r, words, pivot, reciprocal);
    const int shift = BitLength(pivot) - 16;
    const uint32_t split = 1u << shift;
    const uint32_t high = DecodeBelow(r, words, pivot / split + 1);
    return overflow * pivot + high * split + DecodeBelow(r, words, split);
}

// Older generation: the overflow above k - 1 low bits, or an escaped bit count.
ZEM_RANGE_INLINE uint32_t DecodeCode3900(RangeRegisters& r, const uint32_t* words, const RangeModelState& state,
                               const SymbolFinder& symbols, int32_t version) {
    const uint32_t symbol = DecodeSymbol(r, words, symbols);
    uint32_t overflow = 0;
    int kBits;
    if (symbol == kEscapeSymbol) {
        // Five bits; only damaged data can give more, and shifts must stay below 32.
        kBits = static_cast<int>(DecodeBits(r, words, 5) & 31);
    } else {
        overflow = symbol;
        kBits = state.k > 0 ? state.k - 1 : 0;
    }
    uint32_t base = 0;
    if (kBits <= 16 || version < 3910) {
        base = DecodeBits(r, words, kBits);
    } else {
        const uint32_t low16 = DecodeBits(r, words, 16);
        base = (DecodeBits(r, words, kBits - 16) << 16) | low16;
    }
    // Shifts of 32 bits or more leave nothing of the overflow.
    return base + (kBits < 32 ? overflow << kBits : 0);
}

}  // namespace range_cursor

class CRangeBitReader;

// Decodes values from a reader's buffer into registers the caller holds.
class RangeCursor {
public:
    RangeCursor(CRangeBitReader& reader, const uint32_t* words, uint32_t threshold, int32_t version)
        : m_reader(reader),
          m_words(words),
          m_threshold(threshold),
          m_symbols(version >= 3990 ? NewerSymbols() : OlderSymbols()),
          m_version(version) {}

    template <bool kNewer>
    ZEM_RANGE_INLINE int32_t Decode(RangeRegisters& r, RangeModelState& state) const {
        if (__builtin_expect(r.bitIndex > m_threshold, 0))
            r.bitIndex = Refill(r.bitIndex);
        const uint32_t code = kNewer ? range_cursor::DecodeCode3990(r, m_words, state, m_symbols)
                                     : range_cursor::DecodeCode3900(r, m_words, state, m_symbols, m_version);
        range_coding::AdaptModel(state, code);
        return range_coding::SignedFromCode(code);
    }
    bool Newer() const { return m_version >= 3990; }

private:
    // The reader's buffer refilled around the index; the index moved with it.
    uint32_t Refill(uint32_t bitIndex) const;

    CRangeBitReader& m_reader;
    const uint32_t* m_words;
    uint32_t m_threshold;
    const SymbolFinder& m_symbols;
    int32_t m_version;
};
