// SPDX-License-Identifier: BSD-3-Clause
#include "container/codec_error.h"
#include "tests/stream_info/open_stream.h"

#include <gtest/gtest.h>

using namespace zem;

using namespace testing_support;
using stream_info_tests::Open;

namespace {

int64_t BlocksPerFrameOf(uint16_t version, uint16_t level) {
    ZemFixture fixture = OldZemFixture(version);
    fixture.compressionLevel = level;
    auto stream = Open(fixture);
    EXPECT_EQ(0, stream->error) << version;
    return stream->Get(BlocksPerFrame);
}

}  // namespace

TEST(OldHeader, BlocksPerFrameByVersionAndLevel) {
    EXPECT_EQ(294912, BlocksPerFrameOf(3970, 2000));
    EXPECT_EQ(294912, BlocksPerFrameOf(3950, 1000));
    EXPECT_EQ(73728, BlocksPerFrameOf(3949, 2000));
    EXPECT_EQ(73728, BlocksPerFrameOf(3900, 5000));
    EXPECT_EQ(73728, BlocksPerFrameOf(3850, 4000));
    EXPECT_EQ(9216, BlocksPerFrameOf(3850, 3000));
    EXPECT_EQ(73728, BlocksPerFrameOf(3800, 4000));
    EXPECT_EQ(9216, BlocksPerFrameOf(3790, 4000));
    EXPECT_EQ(9216, BlocksPerFrameOf(3700, 1000));
}

TEST(OldHeader, RecordOfAVersion3950Stream) {
    ZemFixture fixture = OldZemFixture(3950);
    fixture.compressionLevel = 3000;
    fixture.channels = 1;
    fixture.sampleRate = 22050;
    fixture.finalFrameBlocks = 1000;
    fixture.terminatingData = Bytes(3, 9);
    ZemFile file = BuildZemFile(fixture);
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    const StreamInfoRecord& r = stream->Record();
    EXPECT_EQ(3950, r.version);
    EXPECT_EQ(3000, r.compressionLevel);
    EXPECT_EQ(1, r.channels);
    EXPECT_EQ(22050, r.sampleRate);
    EXPECT_EQ(16, r.bitsPerSample);
    EXPECT_EQ(2, r.blockAlign);
    EXPECT_EQ(3, r.totalFrames);
    EXPECT_EQ(2 * 294912 + 1000, r.totalBlocks);
    EXPECT_EQ(3, r.waveTerminatingBytes);
    EXPECT_EQ(44, r.waveHeaderBytes);
    EXPECT_EQ(26794, r.lengthMs);  // 590824 * 1000 / 22050 = 26794.74
    EXPECT_EQ(352, r.decompressedBitrate);
    EXPECT_EQ(3, r.seekTableEntries);
    EXPECT_TRUE(r.descriptor.empty());
    EXPECT_TRUE(r.seekBitTable.empty());
    EXPECT_EQ(CanonicalWaveHeader(1, 16, 22050, 2 * 590824, 3), r.storedWaveHeader);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(file.frameOffsets[frame], stream->Get(SeekByte, frame));
    EXPECT_EQ(32 + 44 + 12, static_cast<int>(file.frameOffsets[0]));
}

TEST(OldHeader, BitsPerSampleFromFlags) {
    ZemFixture fixture = OldZemFixture(3950);
    fixture.formatFlags = 0x1;
    EXPECT_EQ(8, Open(fixture)->Get(BitsPerSample));
    fixture.formatFlags = 0x8;
    EXPECT_EQ(24, Open(fixture)->Get(BitsPerSample));
    EXPECT_EQ(6, Open(fixture)->Get(BlockAlign));
    fixture.formatFlags = 0x9;
    EXPECT_EQ(8, Open(fixture)->Get(BitsPerSample));
    fixture.formatFlags = 0x0;
    fixture.bitsPerSample = 24;  // an old header has no such field
    EXPECT_EQ(16, Open(fixture)->Get(BitsPerSample));
}

TEST(OldHeader, PeakLevelAndSeekCountWords) {
    ZemFixture fixture = OldZemFixture(3950);
    fixture.formatFlags = 0x4 | 0x10;
    fixture.peakLevel = 0x7FFF;
    fixture.frames = ZemFixture::FakeFrames({10, 20, 30, 40});
    ZemFile file = BuildZemFile(fixture);
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    EXPECT_EQ(4, stream->Get(TotalFrames));
    EXPECT_EQ(4, stream->Record().seekTableEntries);
    EXPECT_EQ(-1, stream->Get(PeakLevel));
    for (int frame = 0; frame < 4; ++frame)
        EXPECT_EQ(file.frameOffsets[frame], stream->Get(SeekByte, frame));
    EXPECT_EQ(30, stream->Get(FrameBytes, 2));
    EXPECT_EQ(40, stream->Get(FrameBytes, 3));
}

TEST(OldHeader, SeekCountWordDiffersFromTotalFrames) {
    ZemFixture fixture = OldZemFixture(3950);
    fixture.formatFlags = 0x10;
    fixture.frames = ZemFixture::FakeFrames({10, 20, 30});
    fixture.seekTable = std::vector<uint32_t>{0, 0, 0, 0x400, 0x500};
    const ZemFile layout = BuildZemFile(fixture);
    fixture.seekTable = std::vector<uint32_t>{layout.frameOffsets[0], layout.frameOffsets[1], layout.frameOffsets[2],
                                              0x400, 0x500};
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    EXPECT_EQ(3, stream->Get(TotalFrames));
    EXPECT_EQ(5, stream->Record().seekTableEntries);
    EXPECT_EQ(layout.frameOffsets[2], stream->Get(SeekByte, 2));
    EXPECT_EQ(0, stream->Get(SeekByte, 3));  // beyond the total frames
}

TEST(OldHeader, Version3800HasSeekBits) {
    ZemFixture fixture = OldZemFixture(3800);
    fixture.frames = ZemFixture::FakeFrames({10, 20, 30});
    fixture.seekBits = Bytes{5, 17, 31};
    ZemFile file = BuildZemFile(fixture);
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    EXPECT_EQ((Bytes{5, 17, 31}), stream->Record().seekBitTable);
    EXPECT_EQ(5, stream->Get(SeekBit, 0));
    EXPECT_EQ(17, stream->Get(SeekBit, 1));
    EXPECT_EQ(31, stream->Get(SeekBit, 2));
    EXPECT_EQ(0, stream->Get(SeekBit, 3));
    EXPECT_EQ(0, stream->Get(SeekBit, -1));
    // The seek bits lie between the seek table and the first frame.
    EXPECT_EQ(32 + 44 + 12 + 3, static_cast<int>(file.frameOffsets[0]));
    EXPECT_EQ(file.frameOffsets[0], stream->Get(SeekByte, 0));
    EXPECT_EQ(10, stream->Get(FrameBytes, 0));
}

TEST(OldHeader, Version3810HasNoSeekBits) {
    ZemFixture fixture = OldZemFixture(3810);
    ZemFile file = BuildZemFile(fixture);
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    EXPECT_TRUE(stream->Record().seekBitTable.empty());
    EXPECT_EQ(0, stream->Get(SeekBit, 0));
    EXPECT_EQ(0, stream->Get(SeekBit, 1));
    EXPECT_EQ(file.frameOffsets[1], stream->Get(SeekByte, 1));
}

TEST(OldHeader, ZeroFramesIsRefused) {
    ZemFixture fixture = OldZemFixture(3950);
    fixture.frames.clear();
    auto stream = Open(fixture);
    EXPECT_EQ(CODEC_BAD_INPUT, stream->error);
    EXPECT_EQ(0, stream->info->IsValid());
    EXPECT_EQ(0, stream->Get(Version));
    EXPECT_EQ(0, stream->Get(IoSource));
    EXPECT_EQ(0, stream->Get(Tag));
}

TEST(OldHeader, SynthesisedWaveHeaderComesBeforeTheSeekTable) {
    ZemFixture fixture = OldZemFixture(3930);
    fixture.formatFlags = 0x20;
    ZemFile file = BuildZemFile(fixture);
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    EXPECT_EQ(44, stream->Get(WavHeaderBytes));
    EXPECT_TRUE(stream->Record().storedWaveHeader.empty());
    EXPECT_EQ(32 + 12, static_cast<int>(file.frameOffsets[0]));
    EXPECT_EQ(file.frameOffsets[0], stream->Get(SeekByte, 0));
}

TEST(OldHeader, HostileCountsAreRefused) {
    ZemFixture fixture = OldZemFixture(3950);
    fixture.formatFlags = 0x10;
    fixture.seekCountField = 0xFFFFFFFF;  // negative
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
    fixture.seekCountField = 0x40000000;  // 4 GiB of table
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
    fixture.seekCountField = 0x7FFFFFFF;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);

    fixture = OldZemFixture(3950);
    fixture.totalFrames = 0x80000001;  // negative frame count, also the seek table count
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
    fixture.totalFrames = 0x10000000;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);

    fixture = OldZemFixture(3950);
    fixture.waveHeaderBytesField = 0x90000000;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
    fixture.waveHeaderBytesField = 0x00FFFFFF;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
}

TEST(OldHeader, TruncatedOptionalWordsAndTables) {
    ZemFixture fixture = OldZemFixture(3800);
    fixture.formatFlags = 0x4 | 0x10;
    fixture.frames = ZemFixture::FakeFrames({1, 1});
    Bytes bytes = BuildZemBytes(fixture);  // 32 + 8 + 44 + 8 + 2 seek bits + 2 frame bytes
    ASSERT_EQ(96u, bytes.size());
    EXPECT_EQ(0, stream_info_tests::OpenBytes(bytes)->error);
    for (size_t cut : {93u, 92u, 85u, 84u, 83u, 40u, 39u, 36u, 35u, 31u})
        EXPECT_EQ(CODEC_BAD_INPUT, stream_info_tests::OpenBytes(Bytes(bytes.begin(), bytes.begin() + cut))->error)
            << cut;
}
