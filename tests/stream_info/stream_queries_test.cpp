// SPDX-License-Identifier: BSD-3-Clause
#include "container/codec_error.h"
#include "container/wave_format.h"
#include "tag/tag_block.h"
#include "tests/stream_info/open_stream.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zem;

using namespace testing_support;
using stream_info_tests::EmptyZemTag;
using stream_info_tests::Open;

namespace {

intptr_t Ptr(void* buffer) { return reinterpret_cast<intptr_t>(buffer); }

Bytes Id3v1Bytes() {
    Bytes record(128, 0);
    std::memcpy(record.data(), "TAG", 3);
    std::memcpy(record.data() + 3, "Title", 5);
    return record;
}

}  // namespace

TEST(StreamQueries, EveryRecordValueHasItsId) {
    ZemFixture fixture = CurrentZemFixture(3990);
    fixture.compressionLevel = 5000;
    fixture.formatFlags = 0x2;
    fixture.channels = 6;
    fixture.bitsPerSample = 24;
    fixture.sampleRate = 96000;
    fixture.blocksPerFrame = 1000;
    fixture.finalFrameBlocks = 7;
    fixture.terminatingData = Bytes(5, 1);
    auto s = Open(fixture);
    ASSERT_EQ(0, s->error);
    const int64_t fileBytes = static_cast<int64_t>(BuildZemBytes(fixture).size());
    EXPECT_EQ(3990, s->Get(Version));
    EXPECT_EQ(5000, s->Get(CompressionLevel));
    EXPECT_EQ(2, s->Get(FormatFlags));
    EXPECT_EQ(96000, s->Get(SampleRate));
    EXPECT_EQ(24, s->Get(BitsPerSample));
    EXPECT_EQ(3, s->Get(BytesPerSample));
    EXPECT_EQ(6, s->Get(Channels));
    EXPECT_EQ(18, s->Get(BlockAlign));
    EXPECT_EQ(1000, s->Get(BlocksPerFrame));
    EXPECT_EQ(7, s->Get(FinalFrameBlocks));
    EXPECT_EQ(3, s->Get(TotalFrames));
    EXPECT_EQ(44, s->Get(WavHeaderBytes));
    EXPECT_EQ(5, s->Get(WavTrailerBytes));
    EXPECT_EQ(18 * 2007, s->Get(WavDataBytes));
    EXPECT_EQ(44 + 18 * 2007 + 5, s->Get(WavTotalBytes));
    EXPECT_EQ(fileBytes, s->Get(FileBytes));
    EXPECT_EQ(2007, s->Get(TotalBlocks));
    EXPECT_EQ(20, s->Get(LengthMs));  // 20.9 ms
    EXPECT_EQ(fileBytes * 8 / 20, s->Get(AverageBitrate));
    EXPECT_EQ(13824, s->Get(DecompressedBitrate));
    EXPECT_EQ(-1, s->Get(PeakLevel));
}

TEST(StreamQueries, UnknownIdsAnswerMinusOne) {
    auto s = Open(CurrentZemFixture());
    for (int id : {0, 999, 1031, 1999, 2000, 2005, 2999, 3002, -1})
        EXPECT_EQ(-1, s->Get(id)) << id;
}

TEST(StreamQueries, PointerAnswers) {
    auto s = Open(CurrentZemFixture());
    EXPECT_EQ(reinterpret_cast<intptr_t>(&s->io), s->Get(IoSource));
    auto* tag = reinterpret_cast<CTagBlock*>(s->Get(Tag));
    ASSERT_NE(nullptr, tag);
    EXPECT_EQ(0, tag->GetTrailingBytes());
    auto* record = reinterpret_cast<const StreamInfoRecord*>(s->Get(InfoRecord));
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(3990, record->version);
}

TEST(StreamQueries, FrameBlocks) {
    auto s = Open(CurrentZemFixture());
    EXPECT_EQ(73728, s->Get(FrameBlocks, 0));
    EXPECT_EQ(73728, s->Get(FrameBlocks, 1));
    EXPECT_EQ(4096, s->Get(FrameBlocks, 2));
    EXPECT_EQ(-1, s->Get(FrameBlocks, 3));
    EXPECT_EQ(-1, s->Get(FrameBlocks, -1));
}

TEST(StreamQueries, FrameBytesLeaveOutTrailerAndTags) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.terminatingData = Bytes(17, 0x61);
    fixture.trailer = EmptyZemTag();
    Bytes id3v1 = Id3v1Bytes();
    fixture.trailer.insert(fixture.trailer.end(), id3v1.begin(), id3v1.end());
    auto s = Open(fixture);
    ASSERT_EQ(0, s->error);
    EXPECT_EQ(300, s->Get(FrameBytes, 0));
    EXPECT_EQ(200, s->Get(FrameBytes, 1));
    // Only the ID3v1 record is seen as a tag when the file ends with one.
    EXPECT_EQ(100 + 32, s->Get(FrameBytes, 2));
    EXPECT_EQ(-1, s->Get(FrameBytes, 3));
    EXPECT_EQ(-1, s->Get(FrameBytes, -1));

    fixture.trailer = EmptyZemTag();
    EXPECT_EQ(100, Open(fixture)->Get(FrameBytes, 2));
}

TEST(StreamQueries, FrameBytesOfTheLastFrameUseTheCurrentFileSize) {
    auto s = Open(CurrentZemFixture());
    s->io.Bytes().resize(s->io.Bytes().size() + 50);
    EXPECT_EQ(150, s->Get(FrameBytes, 2));
    EXPECT_EQ(static_cast<int64_t>(s->io.Bytes().size()) - 50, s->Get(FileBytes));  // recorded at opening
}

TEST(StreamQueries, FrameQueriesDoNotMoveTheFile) {
    auto s = Open(CurrentZemFixture());
    s->io.Seek(123, 0);
    s->Get(FrameBytes, 2);
    s->Get(FrameBitrate, 1);
    s->Get(SeekByte, 1);
    EXPECT_EQ(123, s->io.GetPosition());
}

// Frames without a seek table entry cannot be found: a header for the frame
// decoder with fewer entries than frames is refused.
TEST(StreamQueries, SeekTableShorterThanTotalFrames) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.frames = ZemFixture::FakeFrames({100, 100, 100, 100});
    fixture.seekTableBytesField = 8;
    EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error);
}

TEST(StreamQueries, SeekBitTableShorterThanTotalFrames) {
    ZemFixture fixture = OldZemFixture(3800);
    fixture.formatFlags = 0x10;
    fixture.frames = ZemFixture::FakeFrames({10, 10, 10});
    fixture.seekTable = std::vector<uint32_t>{0};
    fixture.seekBits = Bytes{9};
    const ZemFile layout = BuildZemFile(fixture);
    fixture.seekTable = std::vector<uint32_t>{layout.frameOffsets[0]};
    auto s = Open(fixture);
    ASSERT_EQ(0, s->error);
    EXPECT_EQ(layout.frameOffsets[0], s->Get(SeekByte, 0));
    EXPECT_EQ(9, s->Get(SeekBit, 0));
    EXPECT_EQ(0, s->Get(SeekBit, 1));
    EXPECT_EQ(0, s->Get(SeekBit, 2));
    EXPECT_EQ(-1, s->Get(FrameBytes, 0));
    EXPECT_EQ(-1, s->Get(FrameBytes, 2));
}

TEST(StreamQueries, SeekByteOfAHugeFrameNumber) {
    auto s = Open(CurrentZemFixture());
    const intptr_t huge = static_cast<intptr_t>(INTPTR_MAX);
    EXPECT_EQ(0, s->Get(SeekByte, huge));
    EXPECT_EQ(-1, s->Get(FrameBytes, huge));
    EXPECT_EQ(-1, s->Get(FrameBlocks, huge));
    EXPECT_EQ(0, s->Get(FrameBitrate, INTPTR_MIN));
}

TEST(StreamQueries, StoredWaveHeaderData) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.storedWaveHeader = Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    auto s = Open(fixture);
    ASSERT_EQ(0, s->error);
    EXPECT_EQ(10, s->Get(WavHeaderBytes));
    uint8_t buffer[12];
    std::memset(buffer, 0xCC, sizeof(buffer));
    EXPECT_EQ(-1, s->Get(WavHeaderData, Ptr(buffer), 9));
    EXPECT_EQ(0xCC, buffer[0]);
    EXPECT_EQ(0, s->Get(WavHeaderData, Ptr(buffer), 10));
    EXPECT_EQ((Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xCC, 0xCC}), Bytes(buffer, buffer + 12));
    EXPECT_EQ(-1, s->Get(WavHeaderData, 0, 10));
}

TEST(StreamQueries, SynthesisedWaveHeaderData) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.formatFlags = 0x20;
    fixture.terminatingData = Bytes(20, 0x42);
    auto s = Open(fixture);
    ASSERT_EQ(0, s->error);
    EXPECT_EQ(44, s->Get(WavHeaderBytes));
    uint8_t buffer[44];
    EXPECT_EQ(-1, s->Get(WavHeaderData, Ptr(buffer), 43));
    EXPECT_EQ(0, s->Get(WavHeaderData, Ptr(buffer), 44));
    const Bytes expected = CanonicalWaveHeader(2, 16, 44100, 606208, 20);
    EXPECT_EQ(expected, Bytes(buffer, buffer + 44));
    EXPECT_EQ(606208u + 20 + 36, buffer[4] | buffer[5] << 8 | buffer[6] << 16 | uint32_t(buffer[7]) << 24);
}

TEST(StreamQueries, WaveFormatQuery) {
    ZemFixture fixture = OldZemFixture(3950);
    fixture.formatFlags = 0x8;
    fixture.channels = 1;
    fixture.sampleRate = 48000;
    auto s = Open(fixture);
    WAVEFORMATEX format;
    std::memset(&format, 0, sizeof(format));
    EXPECT_EQ(0, s->Get(WaveFormat, Ptr(&format)));
    EXPECT_EQ(1, format.wFormatTag);
    EXPECT_EQ(1, format.nChannels);
    EXPECT_EQ(48000u, format.nSamplesPerSec);
    EXPECT_EQ(3, format.nBlockAlign);
    EXPECT_EQ(144000u, format.nAvgBytesPerSec);
    EXPECT_EQ(24, format.wBitsPerSample);
    EXPECT_EQ(-1, s->Get(WaveFormat, 0));
}

TEST(StreamQueries, TrailerDataSitsBeforeTheTagsAndRestoresThePosition) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.terminatingData = Bytes{'t', 'a', 'i', 'l', 0, 1};
    fixture.trailer = EmptyZemTag();
    auto s = Open(fixture);
    ASSERT_EQ(0, s->error);
    s->io.Seek(77, 0);
    uint8_t buffer[8];
    std::memset(buffer, 0xCC, sizeof(buffer));
    EXPECT_EQ(-1, s->Get(WavTrailerData, Ptr(buffer), 5));
    EXPECT_EQ(0, s->Get(WavTrailerData, Ptr(buffer), 8));
    EXPECT_EQ((Bytes{'t', 'a', 'i', 'l', 0, 1, 0xCC, 0xCC}), Bytes(buffer, buffer + 8));
    EXPECT_EQ(77, s->io.GetPosition());
}

TEST(StreamQueries, TrailerDataWithoutTerminatingBytes) {
    auto s = Open(CurrentZemFixture());
    s->io.Seek(5, 0);
    uint8_t buffer[1] = {0xCC};
    EXPECT_EQ(0, s->Get(WavTrailerData, Ptr(buffer), 1));
    EXPECT_EQ(0, s->Get(WavTrailerData, 0, 0));
    EXPECT_EQ(0xCC, buffer[0]);
    EXPECT_EQ(5, s->io.GetPosition());
}

TEST(StreamQueries, TrailerLargerThanTheFileIsRefused) {
    for (uint32_t trailer : {100000u, 0xFFFFFF00u, 0x7FFFFFF0u}) {
        ZemFixture fixture = CurrentZemFixture();
        fixture.terminatingBytesField = trailer;
        EXPECT_EQ(CODEC_BAD_INPUT, Open(fixture)->error) << trailer;
    }
}

TEST(StreamQueries, TrailerDataReadFailureIsReported) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.terminatingData = Bytes(4, 1);
    auto s = Open(fixture);
    ASSERT_EQ(0, s->error);
    s->io.Seek(3, 0);
    s->io.FailNextReads(1);
    uint8_t buffer[4];
    EXPECT_EQ(-1, s->Get(WavTrailerData, Ptr(buffer), 4));
    EXPECT_EQ(3, s->io.GetPosition());
}


// A tag handed in from another file (as for a link file) answers the Tag
// query, but the end of the audio is measured with the stream file's own tags.
TEST(StreamQueries, GivenTagOfAnotherFileDoesNotShiftTheEndOfTheAudio) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.terminatingData = Bytes{1, 2, 3, 4};
    fixture.trailer = EmptyZemTag();
    Bytes linkText = BytesOf("link text");
    Bytes id3v1 = Id3v1Bytes();
    linkText.insert(linkText.end(), id3v1.begin(), id3v1.end());
    CMemoryStream linkFile(linkText);
    auto* linkTag = new CTagBlock(&linkFile, 1);
    ASSERT_EQ(128, linkTag->GetTrailingBytes());

    CMemoryStream image(BuildZemBytes(fixture));
    int error = -99;
    CStreamInfo info(&image, &error, linkTag);
    ASSERT_EQ(0, error);
    EXPECT_EQ(reinterpret_cast<intptr_t>(linkTag), info.GetInfo(Tag));
    EXPECT_EQ(100, info.GetInfo(FrameBytes, 2));
    uint8_t trailer[4] = {};
    EXPECT_EQ(0, info.GetInfo(WavTrailerData, Ptr(trailer), 4));
    EXPECT_EQ((Bytes{1, 2, 3, 4}), Bytes(trailer, trailer + 4));
}
