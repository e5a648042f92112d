// SPDX-License-Identifier: BSD-3-Clause
// Raw bit access: the word order of the buffer, reads spanning words, refills
// and reloads, and the errors of each.
#include "coding/range_bit_reader.h"
#include "container/codec_error.h"
#include "io/memory_stream.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

using namespace zem;

using testing_support::Bytes;

namespace {

Bytes Counting(size_t n) {
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}

TEST(BitReader, BitsRunFromTheTopOfEachLittleEndianWord) {
    CMemoryStream io(Counting(64));
    CRangeBitReader reader;
    ASSERT_EQ(CODEC_OK, reader.Init(&io, 32, 3990));
    ASSERT_EQ(CODEC_OK, reader.Reload(0, 0));
    // Each step: bits to read, the value expected, the bit index after.
    struct Step {
        int bits;
        uint32_t value;
        uint32_t index;
    } steps[] = {
        {32, 0x03020100, 32},   // a whole word at index 0
        {20, 0x07060, 52},      // the top 20 bits of the next word
        {32, 0x5040B0A0, 84},   // 12 bits of word 1, then 20 of word 2 (0x0B0A0908)
        {4, 0x9, 88},
        {8, 0x08, 96},          // the lowest byte of a word comes last
        {1, 0, 97},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(step.value, reader.ReadBits(step.bits)) << step.bits;
        EXPECT_EQ(step.index, reader.BitIndex());
    }
    EXPECT_EQ(104u, reader.AlignToByte());
    EXPECT_EQ(104u, reader.AlignToByte());
}

TEST(BitReader, RefillKeepsTheUnreadWordsAndReadsOnFromTheFile) {
    CMemoryStream io(Counting(40));
    CRangeBitReader reader;
    ASSERT_EQ(CODEC_OK, reader.Init(&io, 18, 3990));  // rounded down to 16 bytes
    EXPECT_EQ(128, reader.BitCount());
    ASSERT_EQ(CODEC_OK, reader.Reload(0, 0));
    for (uint32_t word = 0; word < 10; ++word) {
        uint32_t b = 4 * word;
        EXPECT_EQ(b | (b + 1) << 8 | (b + 2) << 16 | (b + 3) << 24, reader.ReadBits(32)) << word;
    }
    // Past the end of the file the buffer keeps stale bytes; that is no error.
    EXPECT_EQ(CODEC_OK, reader.Refill());
}

TEST(BitReader, ErrorsOfInitReloadAndRefill) {
    CMemoryStream io(Counting(64));
    CRangeBitReader reader;
    EXPECT_EQ(CODEC_BAD_ARGUMENT, reader.Init(nullptr, 16, 3990));
    EXPECT_EQ(CODEC_BAD_ARGUMENT, reader.Init(&io, 0, 3990));
    EXPECT_EQ(CODEC_BAD_ARGUMENT, reader.Init(&io, -4, 3990));
    ASSERT_EQ(CODEC_OK, reader.Init(&io, 16, 3990));
    io.FailNextReads(1);
    EXPECT_EQ(CODEC_READ_FAILED, reader.Reload(0, 0));
    EXPECT_EQ(CODEC_OK, reader.Reload(8, 16));
    EXPECT_EQ(0x09u, reader.ReadBits(8));  // the word 0x0B0A0908, skipping 16 bits
    EXPECT_EQ(0x08000000u | 0x0F0E0D, reader.ReadBits(32));
    EXPECT_EQ(0x0C13u, reader.ReadBits(16));  // two words read: the refill reads one
    io.FailNextReads(1);
    EXPECT_EQ(CODEC_READ_FAILED, reader.Refill());
    // Reload at -1 reads on from where the file stands.
    io.Seek(4, 0);
    EXPECT_EQ(CODEC_OK, reader.Reload(-1, 0));
    EXPECT_EQ(0x07060504u, reader.ReadBits(32));
}

// The range reader keeps the word in front of the index across a refill,
// for the block end that steps back over it.
TEST(BitReader, RangeRefillKeepsTheWordBeforeTheIndex) {
    CMemoryStream io(Counting(64));
    CRangeBitReader reader;
    ASSERT_EQ(CODEC_OK, reader.Init(&io, 16, 3950));
    ASSERT_EQ(CODEC_OK, reader.Reload(0, 0));
    for (int word = 0; word < 3; ++word)
        reader.ReadBits(32);
    EXPECT_EQ(0x0F0Eu, reader.ReadBits(16));  // index 112: three words consumed
    EXPECT_EQ(CODEC_OK, reader.Refill());
    EXPECT_EQ(48u, reader.BitIndex());        // words 0 and 1 gone, word 2 kept
    EXPECT_EQ(0x0D0Cu, reader.ReadBits(16));
    EXPECT_EQ(0x13121110u, reader.ReadBits(32));  // read from the file by the refill
}

// An index at the very top of its range (as a block end stepping back past
// the buffer's start once left it) refills rather than reading far past the
// buffer: no sum of index and bit count may wrap.
TEST(BitReader, IndexNearItsTopRefillsInsteadOfWrapping) {
    struct Indexed : CRangeBitReader {
        void SetIndex(uint32_t index) { m_bitIndex = index; }
    };
    CMemoryStream io(Counting(64));
    Indexed reader;
    ASSERT_EQ(CODEC_OK, reader.Init(&io, 16, 3950));
    ASSERT_EQ(CODEC_OK, reader.Reload(0, 0));
    for (uint32_t index : {0xFFFFFFF0u, 0xFFFFFFE0u, 0x80000000u, 128u}) {
        reader.SetIndex(index);
        reader.ReadBits(32);
        EXPECT_LE(reader.BitIndex(), static_cast<uint32_t>(reader.BitCount())) << index;
    }
}

TEST(BitReader, BaseReaderServesNoCodedValues) {
    CMemoryStream io(Counting(64));
    CBitReader base;
    CRangeBitReader range;
    ASSERT_EQ(CODEC_OK, base.Init(&io, 16, 3990));
    ASSERT_EQ(CODEC_OK, range.Init(&io, 16, 3990));
    ASSERT_EQ(CODEC_OK, base.Reload(0, 0));
    ASSERT_EQ(CODEC_OK, range.Reload(0, 0));
    RangeModelState state;
    EXPECT_EQ(0u, base.ReadCodedValue(0));
    EXPECT_EQ(0, base.DecodeAdaptiveValue(state));
    EXPECT_EQ(0u, base.BitIndex());
    EXPECT_EQ(0u, range.ReadCodedValue(1, 5));
    EXPECT_EQ(0x03020100u, range.ReadCodedValue(0));
}

}  // namespace
