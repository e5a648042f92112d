// SPDX-License-Identifier: BSD-3-Clause
#include "container/codec_error.h"
#include "container/header_parse.h"
#include "container/header_reader.h"
#include "tests/stream_info/open_stream.h"

#include <gtest/gtest.h>

using namespace zem;

using namespace testing_support;
using stream_info_tests::Open;

namespace {

// Frames of 4,410 blocks at 44,100 Hz last 100 ms, which keeps bitrates readable.
ZemFixture TenthSecondFrames() {
    ZemFixture fixture = CurrentZemFixture(3990);
    fixture.blocksPerFrame = 4410;
    fixture.finalFrameBlocks = 2205;
    return fixture;
}

}  // namespace

TEST(CurrentHeader, RecordOfTheDefaultFixture) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.compressionLevel = 3000;
    fixture.formatFlags = 0x2;
    fixture.terminatingData = Bytes(10, 0x77);
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    ASSERT_EQ(1, stream->info->IsValid());
    const StreamInfoRecord& r = stream->Record();
    EXPECT_EQ(3990, r.version);
    EXPECT_EQ(3000, r.compressionLevel);
    EXPECT_EQ(0x2, r.formatFlags);
    EXPECT_EQ(3, r.totalFrames);
    EXPECT_EQ(73728, r.blocksPerFrame);
    EXPECT_EQ(4096, r.finalFrameBlocks);
    EXPECT_EQ(2, r.channels);
    EXPECT_EQ(44100, r.sampleRate);
    EXPECT_EQ(16, r.bitsPerSample);
    EXPECT_EQ(2, r.bytesPerSample);
    EXPECT_EQ(4, r.blockAlign);
    EXPECT_EQ(151552, r.totalBlocks);       // 2 * 73728 + 4096
    EXPECT_EQ(44, r.waveHeaderBytes);
    EXPECT_EQ(606208, r.waveDataBytes);     // 4 * 151552
    EXPECT_EQ(10, r.waveTerminatingBytes);
    EXPECT_EQ(606262, r.waveTotalBytes);
    EXPECT_EQ(52 + 24 + 12 + 44 + 600 + 10, r.fileBytes);
    EXPECT_EQ(3436, r.lengthMs);            // 151552000 / 44100 = 3436.55
    EXPECT_EQ(1, r.averageBitrate);         // 742 * 8 / 3436
    EXPECT_EQ(1411, r.decompressedBitrate);
    EXPECT_EQ(0, r.junkBytes);
    EXPECT_EQ(3, r.seekTableEntries);
    EXPECT_EQ((std::vector<uint32_t>{132, 432, 632}), r.seekTable);
    EXPECT_TRUE(r.seekBitTable.empty());
    EXPECT_EQ(CanonicalWaveHeader(2, 16, 44100, 606208, 10), r.storedWaveHeader);
    ASSERT_EQ(52u, r.descriptor.size());
    const Bytes bytes = BuildZemBytes(fixture);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 52), r.descriptor);
}

TEST(CurrentHeader, ReaderLeavesTheFileBehindTheHeaderData) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.junk = Bytes(9, 1);
    ZemFile file = BuildZemFile(fixture);
    CMemoryStream io(file.bytes);
    StreamInfoRecord record;
    EXPECT_EQ(0, CHeaderReader(&io).Read(&record));
    EXPECT_EQ(static_cast<int32_t>(file.headerEnd), io.GetPosition());
}

TEST(CurrentHeader, ReaderWithoutFileOrRecord) {
    StreamInfoRecord record;
    EXPECT_EQ(CODEC_INVALID_PARAMETER, CHeaderReader(nullptr).Read(&record));
    CMemoryStream io(BuildZemBytes(CurrentZemFixture()));
    EXPECT_EQ(CODEC_INVALID_PARAMETER, CHeaderReader(&io).Read(nullptr));
}

TEST(CurrentHeader, LongerDescriptorAndHeaderAreSkipped) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.descriptorExtraBytes = 12;
    fixture.headerExtraBytes = 8;
    ZemFile file = BuildZemFile(fixture);
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    EXPECT_EQ(44100, stream->Get(SampleRate));
    EXPECT_EQ(3, stream->Get(TotalFrames));
    EXPECT_EQ(file.frameOffsets[0], stream->Get(SeekByte, 0));
    EXPECT_EQ(CanonicalWaveHeader(2, 16, 44100, 606208, 0), stream->Record().storedWaveHeader);
    EXPECT_EQ(52u, stream->Record().descriptor.size());
}

// A declared length below what was read moves back by the difference: the
// header is then read from where the shorter descriptor ends.
TEST(CurrentHeader, ShorterDeclaredDescriptorMovesBack) {
    ZemFixture fixture = CurrentZemFixture();
    const ZemFile layout = BuildZemFile(fixture);
    fixture.descriptorBytesField = 48;
    fixture.seekTable = std::vector<uint32_t>();
    for (uint32_t offset : layout.frameOffsets)
        fixture.seekTable->push_back(offset - 4);
    Bytes bytes = BuildZemBytes(fixture);
    bytes.erase(bytes.begin() + 48, bytes.begin() + 52);  // the last digest word
    auto stream = stream_info_tests::OpenBytes(bytes);
    ASSERT_EQ(0, stream->error);
    EXPECT_EQ(2000, stream->Get(CompressionLevel));
    EXPECT_EQ(73728, stream->Get(BlocksPerFrame));
    EXPECT_EQ(layout.frameOffsets[1] - 4, stream->Get(SeekByte, 1));
    EXPECT_EQ(Bytes(bytes.begin() + 48, bytes.begin() + 52),
              Bytes(stream->Record().descriptor.begin() + 48, stream->Record().descriptor.end()));
}

TEST(CurrentHeader, NegativeDeclaredLengthsAreRefused) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.descriptorBytesField = 0xFFFFFFF0;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
    fixture = CurrentZemFixture();
    fixture.headerBytesField = 0x80000000;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
    fixture = CurrentZemFixture();
    fixture.seekTableBytesField = 0xFFFFFFFC;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
    fixture = CurrentZemFixture();
    fixture.waveHeaderBytesField = 0xFFFFFFFF;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
}

TEST(CurrentHeader, HugeCountsAreRefusedBeforeAllocating) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.seekTableBytesField = 0x7FFFFFFC;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
    fixture = CurrentZemFixture();
    fixture.waveHeaderBytesField = 0x7FFFFFFF;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
    fixture = CurrentZemFixture();
    fixture.descriptorBytesField = 0x7FFFFFFF;  // the header lies past the end
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
}

TEST(CurrentHeader, ShortTablesAreRefused) {
    const ZemFile file = BuildZemFile(CurrentZemFixture());
    EXPECT_EQ(0, stream_info_tests::OpenBytes(file.bytes)->error);
    for (size_t cut : {size_t(file.headerEnd - 1), size_t(52 + 24 + 12 - 1)}) {  // wave header, seek table
        Bytes bytes(file.bytes.begin(), file.bytes.begin() + cut);
        EXPECT_EQ(CODEC_BAD_INPUT, stream_info_tests::OpenBytes(bytes)->error) << cut;
    }
}

// The wave header is read right behind the seek table: a table of part of an
// entry would shift it.
TEST(CurrentHeader, SeekTableBytesNotAMultipleOfFourAreRefused) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.seekTableBytesField = 14;
    fixture.waveHeaderBytesField = 42;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
}

TEST(CurrentHeader, SynthesisedWaveHeaderIsNotRead) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.formatFlags = 0x20;
    fixture.waveHeaderBytesField = 1000;  // ignored with the flag
    fixture.terminatingData = Bytes(6, 0x01);
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    EXPECT_TRUE(stream->Record().storedWaveHeader.empty());
    EXPECT_EQ(44, stream->Get(WavHeaderBytes));
    EXPECT_EQ(44 + 606208 + 6, stream->Get(WavTotalBytes));
    EXPECT_EQ(BuildZemFile(fixture).frameOffsets[0], stream->Get(SeekByte, 0));
}

TEST(CurrentHeader, ZeroFramesOpens) {
    ZemFixture fixture = CurrentZemFixture(3990);
    fixture.frames.clear();
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    EXPECT_EQ(0, stream->Get(TotalFrames));
    EXPECT_EQ(0, stream->Get(TotalBlocks));
    EXPECT_EQ(0, stream->Get(LengthMs));
    EXPECT_EQ(0, stream->Get(AverageBitrate));
    EXPECT_EQ(0, stream->Get(WavDataBytes));
    EXPECT_EQ(-1, stream->Get(FrameBytes, 0));
    EXPECT_EQ(-1, stream->Get(FrameBlocks, 0));
}

TEST(CurrentHeader, NegativeTotalFramesIsRefused) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.totalFrames = 0x80000000;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
}

// Such a header is refused, but its values are derived before it is judged.
TEST(CurrentHeader, DerivedValuesWrapInsteadOfOverflowing) {
    StreamInfoRecord r;
    r.totalFrames = 3;
    r.blocksPerFrame = 0x40000000;
    r.finalFrameBlocks = 0x7FFFFFFF;
    r.channels = 0xFFFF;
    r.bitsPerSample = 0xFFFF;
    r.sampleRate = 0x7FFFFFFF;
    header_parse::DeriveValues(&r);
    const uint32_t blocks = 2u * 0x40000000u + 0x7FFFFFFFu;
    EXPECT_EQ(static_cast<int32_t>(blocks), r.totalBlocks);
    const uint32_t align = 8191u * 0xFFFFu;
    EXPECT_EQ(static_cast<int32_t>(align), r.blockAlign);
    EXPECT_EQ(static_cast<int32_t>(align * blocks), r.waveDataBytes);
    EXPECT_EQ(static_cast<int32_t>(align * 0x7FFFFFFFu * 8u) / 1000, r.decompressedBitrate);
    EXPECT_EQ(-1, r.totalBlocks);  // 0xFFFFFFFF
    EXPECT_EQ(0, r.lengthMs);      // -1000 / 0x7FFFFFFF truncates toward zero
    r.sampleRate = 0;
    header_parse::DeriveValues(&r);
    EXPECT_EQ(0, r.lengthMs);
    EXPECT_EQ(0, r.averageBitrate);

    ZemFixture fixture = CurrentZemFixture();
    fixture.blocksPerFrame = 0x40000000;
    fixture.channels = 0xFFFF;
    fixture.storedWaveHeader = Bytes(44, 0);
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
}

TEST(CurrentHeader, BitratesOfFrames) {
    ZemFixture fixture = TenthSecondFrames();
    fixture.frames = ZemFixture::FakeFrames({3000, 500, 250});
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    EXPECT_EQ(240, stream->Get(FrameBitrate, 0));  // 3000 * 8 / 100 ms
    EXPECT_EQ(40, stream->Get(FrameBitrate, 1));
    EXPECT_EQ(40, stream->Get(FrameBitrate, 2));   // 250 * 8 / 50 ms
    EXPECT_EQ(0, stream->Get(FrameBitrate, 3));
    EXPECT_EQ(0, stream->Get(FrameBitrate, -1));
    EXPECT_EQ(250, stream->Get(LengthMs));         // 11025 blocks
    EXPECT_EQ((52 + 24 + 12 + 44 + 3750) * 8 / 250, stream->Get(AverageBitrate));
}

TEST(CurrentHeader, FrameBitrateOfAFrameShorterThanAMillisecond) {
    ZemFixture fixture = TenthSecondFrames();
    fixture.finalFrameBlocks = 44;  // 0.99 ms
    auto stream = Open(fixture);
    EXPECT_EQ(0, stream->Get(FrameBitrate, 2));
    EXPECT_GT(stream->Get(FrameBitrate, 1), 0);
}
