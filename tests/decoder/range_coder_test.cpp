// SPDX-License-Identifier: BSD-3-Clause
// The range-coded residuals of both generations: tables, signed mapping, the
// model step, the escape and split paths, where a block ends, and the
// encoder as the reader's exact inverse.
#include "coding/range_bit_reader.h"
#include "container/codec_error.h"
#include "encode/range_encoder.h"
#include "io/memory_stream.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

using namespace zem;

using namespace range_coding;

namespace {

// Reading-order bytes as the file holds them: each group of four reversed.
std::vector<uint8_t> FileOrder(std::vector<uint8_t> bytes) {
    bytes.resize(((bytes.size() + 3) & ~size_t(3)) + 256, 0);
    for (size_t i = 0; i < bytes.size(); i += 4) {
        std::swap(bytes[i], bytes[i + 3]);
        std::swap(bytes[i + 1], bytes[i + 2]);
    }
    return bytes;
}

struct Reader {
    explicit Reader(const std::vector<uint8_t>& readingOrder, int32_t version) : io(FileOrder(readingOrder)) {
        EXPECT_EQ(CODEC_OK, reader.Init(&io, CRangeBitReader::kBufferBytes, version));
        EXPECT_EQ(CODEC_OK, reader.Reload(0, 0));
    }
    CMemoryStream io;
    CRangeBitReader reader;
};

TEST(RangeCoding, TablesAndSignedMapping) {
    struct {
        const uint32_t* table;
        int firstUnit;  // from here on every symbol is one count wide
    } tables[] = {{kOverflowTable1, 21}, {kOverflowTable2, 19}};
    for (auto& t : tables) {
        EXPECT_EQ(0u, t.table[0]);
        EXPECT_EQ(65536u, t.table[64]);
        for (int s = 0; s < 64; ++s)
            EXPECT_LT(t.table[s], t.table[s + 1]) << s;
        for (int s = t.firstUnit; s <= 64; ++s)
            EXPECT_EQ(65472u + s, t.table[s]) << s;
        EXPECT_EQ(0, FindSymbol(t.table, 0));
        EXPECT_EQ(63, FindSymbol(t.table, 65535));
        EXPECT_EQ(63, FindSymbol(t.table, 0xFFFFFFFFu));  // damaged data stays in the table
    }
    EXPECT_EQ(14824u, kOverflowTable1[1]);
    EXPECT_EQ(19578u, kOverflowTable2[1]);
    EXPECT_EQ(0u, kKSumBoundary[0]);
    EXPECT_EQ(32u, kKSumBoundary[1]);
    EXPECT_EQ(1u << 31, kKSumBoundary[27]);
    EXPECT_EQ(0u, kKSumBoundary[28]);

    const int32_t mapped[] = {0, 1, -1, 2, -2};
    for (uint32_t code = 0; code < 5; ++code)
        EXPECT_EQ(mapped[code], SignedFromCode(code));
    for (int32_t v : {0, 1, -1, 1000, -1000, INT32_MAX, INT32_MIN + 1, INT32_MIN})
        EXPECT_EQ(v, SignedFromCode(CodeFromSigned(v))) << v;
}

// The decoder divides by the pivot through its reciprocal: exact for every
// 32-bit dividend, at the edges of both ranges.
TEST(RangeCoding, DivisionThroughTheReciprocal) {
    const uint32_t divisors[] = {2, 3, 7, 255, 641, 65535, 65536, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
    for (uint32_t d : divisors) {
        const uint64_t reciprocal = range_cursor::Reciprocal(d);
        for (uint32_t n : {0u, 1u, d - 1, d, d + 1, 2 * d - 1, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu, d * 12345u})
            EXPECT_EQ(n / d, range_cursor::DivideBy(n, reciprocal)) << n << " / " << d;
    }
    // The pivots 2..1023 take their reciprocals from a table; 1 and larger ones divide.
    using range_cursor::PivotReciprocals;
    for (uint32_t d = 0; d < 2 * PivotReciprocals::kCount; ++d) {
        ASSERT_EQ(d >= 2 && d < PivotReciprocals::kCount, PivotReciprocals::Covers(d)) << d;
        if (PivotReciprocals::Covers(d)) {
            ASSERT_EQ(range_cursor::Reciprocal(d), range_cursor::kPivotReciprocals.Of(d)) << d;
        }
    }
}

TEST(RangeCoding, ModelStep) {
    struct Case {
        int32_t k;
        uint32_t sum;
        uint32_t code;
        int32_t kAfter;
        uint32_t sumAfter;
    } cases[] = {
        {10, 16384, 0, 9, 15872},            // 16384 - (16400 >> 5) falls below 2^14
        {10, 16384, 1001, 9, 16373},         // + 501 - 512, still below 2^14
        {10, 33000, 2000, 11, 33000 + 1000 - 1031},  // reaches 2^15
        {0, 0, 0, 0, 0},                     // k = 0 never steps down
        {1, 40, 60, 2, 40 + 30 - 1},         // 69 >= 64
        {27, 1u << 31, 1u << 30, 27, (1u << 31) + (1u << 29) - (1u << 26)},  // no boundary above 27
        {26, 0x7FFFFFF0u, 0xFFFFFFFFu, 26, 0x7FFFFFF0u - 0x4000000u},  // (code + 1) / 2 wraps to 0
    };
    for (const Case& c : cases) {
        RangeModelState state{c.k, c.sum};
        AdaptModel(state, c.code);
        EXPECT_EQ(c.kAfter, state.k) << c.k << " " << c.sum << " " << c.code;
        EXPECT_EQ(c.sumAfter, state.runningSum) << c.k << " " << c.sum << " " << c.code;
    }
}

// Values written with the encoder's plain primitives (no model), read back
// with the model: checks the reader's order of halves, escapes and splits.
TEST(RangeCoding, EscapesSplitsAndHalvesInReadingOrder) {
    using Write = std::function<void(CRangeEncoder&)>;
    struct Case {
        const char* name;
        int32_t version;
        RangeModelState state;
        Write write;
        uint32_t code;
    } cases[] = {
        {"escape, high half first", 3990, {10, 16384},
         [](CRangeEncoder& e) {
             e.EncodeSymbol(kOverflowTable2, 63);
             e.EncodeBits(0x1234, 16);
             e.EncodeBits(0x5678, 16);
             e.EncodeBelow(100, 512);
         },
         0x12345678u * 512u + 100u},
        {"pivot 65536 splits with shift 1", 3990, {10, 65536u * 32},
         [](CRangeEncoder& e) {
             e.EncodeSymbol(kOverflowTable2, 2);
             e.EncodeBelow(12345, 32769);
             e.EncodeBelow(1, 2);
         },
         2u * 65536 + 12345 * 2 + 1},
        {"pivot below 65536", 3990, {10, 65535u * 32},
         [](CRangeEncoder& e) {
             e.EncodeSymbol(kOverflowTable2, 1);
             e.EncodeBelow(65534, 65535);
         },
         65535u + 65534},
        {"pivot at least 1", 3990, {3, 31},
         [](CRangeEncoder& e) {
             e.EncodeSymbol(kOverflowTable2, 5);
             e.EncodeBelow(0, 1);
         },
         5},
        {"older escape: 5-bit k and no overflow", 3900, {10, 16384},
         [](CRangeEncoder& e) {
             e.EncodeSymbol(kOverflowTable1, 63);
             e.EncodeBits(12, 5);
             e.EncodeBits(0xABC, 12);
         },
         0xABC},
        {"older, k' = k - 1 bits under the overflow", 3900, {10, 16384},
         [](CRangeEncoder& e) {
             e.EncodeSymbol(kOverflowTable1, 3);
             e.EncodeBits(5, 9);
         },
         (3u << 9) + 5},
        {"k' = 17 before 3910: one 17-bit value", 3909, {10, 16384},
         [](CRangeEncoder& e) {
             e.EncodeSymbol(kOverflowTable1, 63);
             e.EncodeBits(17, 5);
             e.EncodeBits(0x1ABCD, 17);
         },
         0x1ABCD},
        {"k' = 17 from 3910: low 16 bits, then the high bit", 3910, {10, 16384},
         [](CRangeEncoder& e) {
             e.EncodeSymbol(kOverflowTable1, 63);
             e.EncodeBits(17, 5);
             e.EncodeBits(0xABCD, 16);
             e.EncodeBits(1, 1);
         },
         0x1ABCD},
        {"k = 0 reads zero bits", 3950, {0, 0},
         [](CRangeEncoder& e) {
             e.EncodeSymbol(kOverflowTable1, 4);
             e.EncodeBits(0, 0);
         },
         4},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes;
        CRangeEncoder encoder(c.version);
        encoder.Start(&bytes);
        c.write(encoder);
        encoder.Finish();
        Reader r(bytes, c.version);
        r.reader.StartRange();
        RangeModelState state = c.state;
        EXPECT_EQ(SignedFromCode(c.code), r.reader.DecodeAdaptiveValue(state)) << c.name;
    }
}

// Whole blocks through DecodeArray, and where the reader stands after each:
// right behind the block's bytes, or 16 bits before that up to version 3950.
TEST(RangeCoding, ArraysRoundTripAndEndWhereTheBlockEnds) {
    std::vector<std::vector<int32_t>> blocks = {
        {},
        {0},
        {1, -1, 2, -2, 0, 0, 0, 5},
        {100000, -100000, 3, 70000000, -70000000, 1, 0, 1 << 29, -(1 << 29), 12},
    };
    std::vector<int32_t> ramp;
    for (int i = 0; i < 3000; ++i)
        ramp.push_back((i * 7919) % 20001 - 10000);
    blocks.push_back(ramp);
    for (int32_t version : {3900, 3909, 3910, 3950, 3951, 3990, 4100}) {
        for (const auto& values : blocks) {
            // Before 3910 the low bits are one step of the range: 23 bits at most.
            if (version < 3910 && values.size() == 10)
                continue;
            std::vector<uint8_t> bytes;
            CRangeEncoder encoder(version);
            RangeModelState state;
            encoder.Start(&bytes);
            for (int32_t v : values)
                encoder.EncodeAdaptiveValue(state, v);
            encoder.Finish();
            Reader r(bytes, version);
            std::vector<int32_t> back(values.size() + 1, 77);
            r.reader.DecodeArray(back.data(), static_cast<int32_t>(values.size()), 0);
            EXPECT_EQ(77, back.back());
            back.pop_back();
            EXPECT_EQ(values, back) << version << " " << values.size();
            uint32_t end = static_cast<uint32_t>(bytes.size() * 8) - (version <= 3950 ? 16 : 0);
            EXPECT_EQ(end, r.reader.BitIndex()) << version << " " << values.size();
        }
    }
}

// Extreme values of the newer generation, including every escape, adapt the
// model the same way on both sides.
TEST(RangeCoding, ExtremeValuesOfTheNewerGeneration) {
    std::vector<int32_t> values = {INT32_MAX, INT32_MIN, 0, -1, INT32_MAX, 1 << 30, 3, -(1 << 20), INT32_MIN + 1};
    for (int i = 0; i < 200; ++i)
        values.push_back(i % 2 ? INT32_MAX - i : i * 1000);
    std::vector<uint8_t> bytes;
    CRangeEncoder encoder(3990);
    RangeModelState in;
    encoder.Start(&bytes);
    for (int32_t v : values)
        encoder.EncodeAdaptiveValue(in, v);
    encoder.Finish();
    Reader r(bytes, 3990);
    RangeModelState out;
    r.reader.StartRange();
    for (int32_t v : values)
        ASSERT_EQ(v, r.reader.DecodeAdaptiveValue(out));
    EXPECT_EQ(in.k, out.k);
    EXPECT_EQ(in.runningSum, out.runningSum);
}

// Noise as coded data: every version decodes to something, k stays within
// its table and nothing is read outside the buffer (the sanitizers watch).
TEST(RangeCoding, NoiseDecodesWithoutLeavingTheBuffer) {
    uint32_t seed = 12345;
    std::vector<uint8_t> noise(100000);
    for (uint8_t& b : noise) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    for (int32_t version : {3900, 3905, 3910, 3950, 3990}) {
        CMemoryStream io(noise);
        CRangeBitReader reader;
        ASSERT_EQ(CODEC_OK, reader.Init(&io, CRangeBitReader::kBufferBytes, version));
        ASSERT_EQ(CODEC_OK, reader.Reload(0, 0));
        for (int block = 0; block < 20; ++block) {
            RangeModelState state;
            reader.StartRange();
            for (int i = 0; i < 2000; ++i) {
                reader.DecodeAdaptiveValue(state);
                ASSERT_GE(state.k, 0);
                ASSERT_LE(state.k, kLargestK);
            }
            reader.FinishRange();
            ASSERT_LT(reader.BitIndex(), static_cast<uint32_t>(reader.BitCount()));
        }
    }
}

}  // namespace
