// SPDX-License-Identifier: BSD-3-Clause
// The range decoder's arithmetic on a working copy of its registers. The
// frame decoder's block loop holds a RangeCursor and the registers as a local
// of its own (handed back by value), so that the decoder's state stays in
// processor registers and its long chain of divisions can overlap the
// predictors' work.
#pragma once

#include "coding/range_coding.h"
#include "coding/range_symbols.h"

#include <cstdint>
#include <cstring>

namespace zem {

// The decoder's registers. The low end runs one bit behind the bytes taken,
// so it is kept as low * 2 plus the lowest bit of the last byte (the carry):
// taking a byte is then a plain shift of whole bytes into `lowCarry`.
struct RangeRegisters {
    uint64_t lowCarry = 0;
    uint32_t range = 0;
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

// The 64 bits from a byte-aligned index of the stream's bytes in reading order.
ZEM_RANGE_INLINE uint64_t Peek64(const uint8_t* bytes, uint32_t bitIndex) {
    uint64_t v;
    std::memcpy(&v, bytes + (bitIndex >> 3), sizeof v);
    return __builtin_bswap64(v);
}

// The low end as the decoder's arithmetic sees it: 32 bits, wrapping.
ZEM_RANGE_INLINE uint32_t Low(const RangeRegisters& r) { return static_cast<uint32_t>(r.lowCarry >> 1); }

// Takes whole bytes until the range is above the normalisation bound. The
// count comes from three comparisons that run side by side (a range of 1
// takes three bytes), so no branch depends on the data.
ZEM_RANGE_INLINE uint32_t BytesToNormalise(uint32_t range) {
    return static_cast<uint32_t>(range <= kBottom) + static_cast<uint32_t>(range <= (kBottom >> 8)) +
           static_cast<uint32_t>(range <= (kBottom >> 16));
}

ZEM_RANGE_INLINE void Normalise(RangeRegisters& r, const uint8_t* bytes) {
    const uint32_t bits = BytesToNormalise(r.range) * 8;
    // The next `bits` bits of the stream; none for a count of 0.
    const uint64_t taken = (Peek64(bytes, r.bitIndex) >> 1) >> (63 - bits);
    r.lowCarry = (r.lowCarry << bits) | taken;
    r.range <<= bits;
    r.bitIndex += bits;
}

// The value low / range for a range already scaled down, and the low end left.
ZEM_RANGE_INLINE uint32_t TakeQuotient(RangeRegisters& r) {
    const uint32_t low = Low(r);
    const uint32_t value = low / r.range;
    r.lowCarry = (uint64_t(low % r.range) << 1) | (r.lowCarry & 1);
    return value;
}

ZEM_RANGE_INLINE uint32_t DecodeBits(RangeRegisters& r, const uint8_t* bytes, int bits) {
    Normalise(r, bytes);
    r.range = NonZero(r.range >> bits);
    return TakeQuotient(r);
}

// After normalising the range is above 2^23, so a total below 2^16 leaves
// it above 0; larger totals may not.
ZEM_RANGE_INLINE uint32_t DecodeBelow(RangeRegisters& r, const uint8_t* bytes, uint32_t total) {
    Normalise(r, bytes);
    r.range = NonZero(r.range / total);
    return TakeQuotient(r);
}

// One step of the symbol search: past `bound`, the interval becomes
// [bound, next) and the symbol one more. Conditional moves rather than
// branches: the comparison falls either way at random, and compilers turn
// the plain selects into branches often enough that it is written out here.
ZEM_RANGE_INLINE void SymbolStep(uint32_t low, uint32_t bound, uint32_t next, uint32_t& base, uint32_t& top,
                                 uint32_t& symbol) {
#if defined(__x86_64__) || defined(__i386__)
    asm("cmpl %[bound], %[low]\n\t"
        "cmovael %[bound], %[base]\n\t"
        "cmovael %[next], %[top]\n\t"
        "sbbl $-1, %[symbol]"
        : [base] "+r"(base), [top] "+r"(top), [symbol] "+r"(symbol)
        : [low] "r"(low), [bound] "r"(bound), [next] "r"(next)
        : "cc");
#else
    const bool past = low >= bound;
    base = past ? bound : base;
    top = past ? next : top;
    symbol += past;
#endif
}

// The symbol whose interval holds low / (range >> 16). The first symbols,
// which carry most values, are told by comparing low with their bounds
// times the range: multiplies that run side by side, where a division would
// hold up everything after it.
// `table` is the finder's table, given as the constant it is so that the
// bounds become immediates once this is inlined.
ZEM_RANGE_INLINE uint32_t DecodeSymbol(RangeRegisters& r, const uint8_t* bytes, const uint32_t* table,
                                       const SymbolFinder& finder) {
    static_assert(SymbolFinder::kCompared == 5, "the steps below tell six symbols");
    Normalise(r, bytes);
    // Normalised, the range is above 2^23, so range >> 16 is at least 128;
    // it and every bound are below 2^16, so no product wraps.
    const uint32_t range = r.range >> 16;
    const uint32_t low = Low(r);
    const uint32_t p1 = range * table[1], p2 = range * table[2], p3 = range * table[3];
    const uint32_t p4 = range * table[4], p5 = range * table[5], p6 = range * table[6];
    uint32_t base, top, symbol;
    if (__builtin_expect(low < p6, 1)) {
        base = 0, top = p1, symbol = 0;
        SymbolStep(low, p1, p2, base, top, symbol);
        SymbolStep(low, p2, p3, base, top, symbol);
        SymbolStep(low, p3, p4, base, top, symbol);
        SymbolStep(low, p4, p5, base, top, symbol);
        SymbolStep(low, p5, p6, base, top, symbol);
    } else {
        symbol = static_cast<uint32_t>(finder.Find(low / range));
        base = range * table[symbol];
        top = range * table[symbol + 1];
    }
    // low - base, with the carry bit kept below it.
    r.lowCarry -= uint64_t(base) << 1;
    r.range = top - base;
    return symbol;
}

// n / d through reciprocal = 2^64 / d rounded up, for 2 <= d < 2^32: the
// high half of reciprocal * n is the quotient for every 32-bit n, a multiply
// in place of a division. (A d of 1 has no 64-bit reciprocal.)
constexpr uint64_t Reciprocal(uint32_t d) { return ~uint64_t(0) / d + 1; }
ZEM_RANGE_INLINE uint32_t DivideBy(uint32_t n, uint64_t reciprocal) {
    return static_cast<uint32_t>((static_cast<unsigned __int128>(reciprocal) * n) >> 64);
}

// The reciprocals of the pivots that nearly every value has (the running sum
// of typical audio keeps it below 2^10), read from a table: the pivot
// depends on the value before, and a division there would put the next value
// behind it.
class PivotReciprocals {
public:
    static constexpr uint32_t kCount = 1024;
    constexpr PivotReciprocals() : m_values() {
        for (uint32_t d = 2; d < kCount; ++d)
            m_values[d] = Reciprocal(d);
    }
    // Pivots 2 .. kCount - 1; one comparison.
    static bool Covers(uint32_t pivot) { return pivot - 2 < kCount - 2; }
    uint64_t Of(uint32_t pivot) const { return m_values[pivot]; }

private:
    uint64_t m_values[kCount];
};

inline constexpr PivotReciprocals kPivotReciprocals{};

// DecodeBelow for a total of 2 .. 2^16 - 1 given by its reciprocal.
// Normalised, the range is above 2^23, so the quotient is at least 128.
ZEM_RANGE_INLINE uint32_t DecodeBelowKnown(RangeRegisters& r, const uint8_t* bytes, uint64_t reciprocal) {
    Normalise(r, bytes);
    r.range = DivideBy(r.range, reciprocal);
    return TakeQuotient(r);
}

// Newer generation: the overflow times the pivot, plus a base below it.
ZEM_RANGE_INLINE uint32_t DecodeCode3990(RangeRegisters& r, const uint8_t* bytes, const RangeModelState& state,
                                         const SymbolFinder& symbols) {
    // The pivot is known before the symbol, so its reciprocal is ready by the time it is needed.
    const uint32_t pivot = Pivot(state);
    uint32_t overflow = DecodeSymbol(r, bytes, kOverflowTable2, symbols);
    if (overflow == kEscapeSymbol) {
        const uint32_t high = DecodeBits(r, bytes, 16);
        overflow = (high << 16) | DecodeBits(r, bytes, 16);
    }
    if (__builtin_expect(PivotReciprocals::Covers(pivot), 1))
        return overflow * pivot + DecodeBelowKnown(r, bytes, kPivotReciprocals.Of(pivot));
    if (pivot < 65536)
        return overflow * pivot + DecodeBelow(r, bytes, pivot);
    const int shift = BitLength(pivot) - 16;
    const uint32_t split = 1u << shift;
    const uint32_t high = DecodeBelow(r, bytes, pivot / split + 1);
    return overflow * pivot + high * split + DecodeBelow(r, bytes, split);
}

// Older generation: the overflow above k - 1 low bits, or an escaped bit count.
ZEM_RANGE_INLINE uint32_t DecodeCode3900(RangeRegisters& r, const uint8_t* bytes, const RangeModelState& state,
                               const SymbolFinder& symbols, int32_t version) {
    const uint32_t symbol = DecodeSymbol(r, bytes, kOverflowTable1, symbols);
    uint32_t overflow = 0;
    int kBits;
    if (symbol == kEscapeSymbol) {
        // Five bits; only damaged data can give more, and shifts must stay below 32.
        kBits = static_cast<int>(DecodeBits(r, bytes, 5) & 31);
    } else {
        overflow = symbol;
        kBits = state.k > 0 ? state.k - 1 : 0;
    }
    uint32_t base = 0;
    if (kBits <= 16 || version < 3910) {
        base = DecodeBits(r, bytes, kBits);
    } else {
        const uint32_t low16 = DecodeBits(r, bytes, 16);
        base = (DecodeBits(r, bytes, kBits - 16) << 16) | low16;
    }
    // Shifts of 32 bits or more leave nothing of the overflow.
    return base + (kBits < 32 ? overflow << kBits : 0);
}

}  // namespace range_cursor

class CRangeBitReader;

// Decodes values from a reader's buffer into registers the caller holds.
class RangeCursor {
public:
    RangeCursor(CRangeBitReader& reader, const uint8_t* bytes, uint32_t threshold, int32_t version)
        : m_reader(reader),
          m_bytes(bytes),
          m_threshold(threshold),
          m_symbols(version >= 3990 ? NewerSymbols() : OlderSymbols()),
          m_version(version) {}

    // The newer generation never reads k: its pivot comes from the running
    // sum alone. kStepK = false leaves k as it is there, for loops whose
    // state is reset before anything could read it (a frame's).
    template <bool kNewer, bool kStepK = true>
    ZEM_RANGE_INLINE int32_t Decode(RangeRegisters& r, RangeModelState& state) const {
        if (__builtin_expect(r.bitIndex > m_threshold, 0))
            r.bitIndex = Refill(r.bitIndex);
        const uint32_t code = kNewer ? range_cursor::DecodeCode3990(r, m_bytes, state, m_symbols)
                                     : range_cursor::DecodeCode3900(r, m_bytes, state, m_symbols, m_version);
        if (kNewer && !kStepK)
            range_coding::AdaptRunningSum(state, code);
        else
            range_coding::AdaptModel(state, code);
        return range_coding::SignedFromCode(code);
    }
    bool Newer() const { return m_version >= 3990; }

private:
    // The reader's buffer refilled around the index; the index moved with it.
    uint32_t Refill(uint32_t bitIndex) const;

    CRangeBitReader& m_reader;
    const uint8_t* m_bytes;  // the buffer's bytes in reading order
    uint32_t m_threshold;
    const SymbolFinder& m_symbols;
    int32_t m_version;
};

}  // namespace zem
