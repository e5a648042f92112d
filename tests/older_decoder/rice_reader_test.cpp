// SPDX-License-Identifier: BSD-3-Clause
// The Rice reader: buffer sizes, bit order, unary/k values, both generations
// against hand-made bits and the test encoder, and the guards on damaged data.
#include "decode/older/rice_bit_reader.h"
#include "io/memory_stream.h"
#include "tests/older_encoder/rice_encoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace zem;

namespace {

using Values = std::vector<int32_t>;
using older_encoder::BitWriter;

// Packs a string of '0' and '1' into file bytes, 32 bits to a little-endian word.
std::vector<uint8_t> PackBits(const std::string& bits) {
    std::vector<uint8_t> bytes((bits.size() + 31) / 32 * 4, 0);
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1')
            bytes[i / 32 * 4 + 3 - (i % 32) / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
    return bytes;
}

std::string Binary(uint32_t value, int width) {
    std::string s;
    for (int i = width - 1; i >= 0; --i)
        s += ((value >> i) & 1) ? '1' : '0';
    return s;
}

struct Reader {
    Reader(std::vector<uint8_t> bytes, int version, int blocksPerFrame = 9216) : io(std::move(bytes)) {
        EXPECT_EQ(0, reader.Setup(&io, version, blocksPerFrame));
        EXPECT_EQ(0, reader.Reload(0, 0));
    }
    CMemoryStream io;
    CRiceBitReader reader;
};

TEST(RiceReader, BufferSizeAndRefillThresholdByVersion) {
    struct Row {
        int version, blocksPerFrame, bytes;
        uint32_t threshold;
    };
    const Row rows[] = {
        {3899, 9216, 262144, 262144 * 8 - 512},      {3890, 9216, 65536, 65536 * 8 - 512},
        {3881, 73728, 65536, 65536 * 8 - 512},       {3880, 9216, 262144, 262144 * 8 - 131072},
        {3880, 20000, 262144, 262144 * 8 - 131072},  // 125,000 bytes wanted: 131,072 is not above 262,144
        {3800, 73728, 524288, 524288 * 8 - 131072},  // 460,800 bytes wanted
        {3300, 10485, 262144, 262144 * 8 - 131072},  // 65,531 bytes wanted: not over 65,536
        {3300, 10486, 262144, 262144 * 8 - 131072},  // 65,537 wanted
    };
    for (const Row& r : rows) {
        const int32_t bytes = RiceBufferBytes(r.version, r.blocksPerFrame);
        EXPECT_EQ(r.bytes, bytes) << r.version << " " << r.blocksPerFrame;
        EXPECT_EQ(r.threshold, RiceRefillThreshold(r.version, bytes)) << r.version;
    }
}

TEST(RiceReader, BitOrderAndCodedValueMethods) {
    // Raw 32 bits, a unary/k value (3 zeros, k = 4), 5 raw bits, a k = 0 value, an unknown method.
    const std::string bits = Binary(0xDEADBEEF, 32) + "0001" + "1011" + "10110" + "00001";
    Reader r(PackBits(bits), 3800);
    EXPECT_EQ(0xDEADBEEFu, r.reader.ReadCodedValue(0));
    EXPECT_EQ((3u << 4) | 11u, r.reader.ReadCodedValue(1, 4));
    EXPECT_EQ(22u, r.reader.ReadCodedValue(2, 5));
    EXPECT_EQ(4u, r.reader.ReadCodedValue(1, 0));
    EXPECT_EQ(0u, r.reader.ReadCodedValue(3, 7));
    EXPECT_FALSE(r.reader.Damaged());
    // The file's bytes of one word are taken last to first.
    Reader bytes({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}, 3800);
    EXPECT_EQ(0x78u, bytes.reader.ReadBits(8));
    EXPECT_EQ(0x563412F0u, bytes.reader.ReadBits(32));
}

TEST(RiceReader, BlockGenerationFromHandMadeBits) {
    // Five values: codes 0..4 with k = 10 each, that is 0, 1, -1, 2, -2.
    std::string bits;
    for (uint32_t code = 0; code < 5; ++code)
        bits += "1" + Binary(code, 10);
    // Then a sixth value: the sum 10 gives k = bit length of 10 / 10 = 1; code 5 is "001" + "1".
    bits += "001" "1";
    Reader r(PackBits(bits), 3800);
    Values values(6, 99);
    r.reader.DecodeArray(values.data(), 6, 0);
    EXPECT_EQ((Values{0, 1, -1, 2, -2, 3}), values);
}

TEST(RiceReader, ValueGenerationFromHandMadeBits) {
    // k = 10, running sum 16384: code 1 = "1" + ten bits; the sum becomes
    // 16384 + 1 - 1024 = 15361 < R[10] = 16384, so k drops to 9. A version
    // above 3880 then reads u = 17 as k + 4 = 13 and u = 1.
    const std::string bits = "1" + Binary(1, 10) + std::string(17, '0') + "1" + Binary(5, 13);
    Reader r(PackBits(bits), 3881);
    Values values(2, 99);
    r.reader.DecodeArray(values.data(), 2, 0);
    EXPECT_EQ((Values{1, 4099}), values);  // code 8197
    // Up to 3880 the same run is a plain unary count of 17 with k = 9.
    const std::string plain = "1" + Binary(1, 10) + std::string(17, '0') + "1" + Binary(5, 9);
    Reader older(PackBits(plain), 3880);
    older.reader.DecodeArray(values.data(), 2, 0);
    EXPECT_EQ((Values{1, 4355}), values);  // code 17 << 9 | 5 = 8709
}

TEST(RiceReader, BothGenerationsReadTheEncodersBlocks) {
    std::mt19937 random(7);
    for (int version : {3800, 3860, 3880, 3881, 3890})
        for (int count : {1, 4, 5, 6, 63, 64, 65, 200, 5000}) {
            Values values(count);
            std::uniform_int_distribution<int32_t> small(-300, 300), large(-(1 << 22), 1 << 22);
            for (int32_t& v : values)
                v = random() % 50 == 0 ? large(random) : small(random);
            BitWriter writer;
            if (version < 3860)
                older_encoder::EncodeBlockAdaptive(writer, values);
            else
                older_encoder::EncodeValueAdaptive(writer, values, version);
            Reader r(writer.Bytes(), version);
            Values decoded(count + 16, 0);
            r.reader.DecodeArray(decoded.data(), count, 0);
            decoded.resize(count);
            EXPECT_EQ(values, decoded) << version << " " << count;
            EXPECT_FALSE(r.reader.Damaged());
        }
}

// Sums at or above 2^31 put the block generation at k = 25, whose upper bound
// is 0: k stays there instead of climbing without end.
TEST(RiceReaderMends, BlockGenerationStopsKAt25) {
    Values values(200, (1 << 24) + (1 << 20));
    for (size_t i = 0; i < values.size(); i += 2)
        values[i] = -values[i];
    BitWriter writer;
    older_encoder::EncodeBlockAdaptive(writer, values);
    Reader r(writer.Bytes(), 3850);
    Values decoded(200 + 16, 0);
    r.reader.DecodeArray(decoded.data(), 200, 0);
    decoded.resize(200);
    EXPECT_EQ(values, decoded);
}

// In the value generation a long unary run raises k by 4 per 16 zeros: past
// 31 the value is not read (no shift by 32 or more); the block is damaged.
TEST(RiceReaderMends, ValueGenerationRefusesKBeyond31) {
    const std::string bits = std::string(16 * 6, '0') + "1" + std::string(64, '1');
    Reader r(PackBits(bits), 3890);
    Values values(3, 99);
    r.reader.DecodeArray(values.data(), 3, 0);
    EXPECT_TRUE(r.reader.Damaged());
    EXPECT_EQ((Values{0, 0, 0}), values);
    // A reload for the next frame starts clean.
    EXPECT_EQ(0, r.reader.Reload(0, 16 * 6 + 1));
    EXPECT_FALSE(r.reader.Damaged());
}

// Zeros to the end of the file: the unary scan stops at the end of the data
// instead of reading past the buffer, for every generation and for the
// frame header's unary/k value.
TEST(RiceReaderMends, UnaryRunPastTheDataIsDamage) {
    for (int version : {3800, 3870, 3890}) {
        Reader r(std::vector<uint8_t>(4096, 0), version);
        EXPECT_EQ(0u, r.reader.ReadCodedValue(1, 30)) << version;
        EXPECT_TRUE(r.reader.Damaged()) << version;
        Reader block(std::vector<uint8_t>(4096, 0), version);
        Values values(100, 99);
        block.reader.DecodeArray(values.data(), 100, 4096);
        EXPECT_TRUE(block.reader.Damaged()) << version;
    }
}

// A value that straddles the end of the buffer is read whole after a refill.
TEST(RiceReader, UnaryValueAcrossTheBufferEnd) {
    const int bufferBits = RiceBufferBytes(3890, 9216) * 8;
    std::string bits(bufferBits - 5, '1');
    bits += std::string(9, '0') + "1";
    Reader r(PackBits(bits), 3890);
    for (int i = 0; i < bufferBits - 5; ++i)
        ASSERT_EQ(0u, r.reader.ReadCodedValue(1, 0));
    EXPECT_EQ(9u, r.reader.ReadCodedValue(1, 0));
    EXPECT_FALSE(r.reader.Damaged());
}

TEST(RiceReader, VersionsWithoutRiceValuesLeaveTheArray) {
    Reader r(PackBits(std::string(64, '1')), 3895);
    Values values(4, 99);
    r.reader.DecodeArray(values.data(), 4, 0);
    EXPECT_EQ((Values{99, 99, 99, 99}), values);
}

}  // namespace
