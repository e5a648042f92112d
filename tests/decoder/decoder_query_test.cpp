// SPDX-License-Identifier: BSD-3-Clause
// Bitrate and time answers, 64-bit arithmetic, version refusal and ownership.
#include "tests/decoder/decoder_harness.h"

#include <climits>
#include <vector>

using namespace decoder_tests;
using testing_support::BuildZemBytes;
using testing_support::ZemFixture;

namespace {

// Frames of 30000, 20000 and 10000 bytes; 73728 blocks per frame, 4096 in the last.
ZemFixture SizedFrames() {
    ZemFixture f = testing_support::CurrentZemFixture(3990);
    f.frames = ZemFixture::FakeFrames({30000, 20000, 10000});
    return f;
}

// Frames of 100 blocks at 100000 Hz: one millisecond each, so single bytes show.
ZemFixture MillisecondFrames() {
    ZemFixture f = testing_support::CurrentZemFixture(3990);
    f.sampleRate = 100000;
    f.blocksPerFrame = 100;
    f.finalFrameBlocks = 100;
    f.frames = ZemFixture::FakeFrames({300, 200, 100});
    return f;
}

}  // namespace

TEST(DecoderQueries, CurrentBitrateBeforeTheFirstFrameIsFrameZeros) {
    Harness<CFrameDecoder> h(SizedFrames(), -1, -1);
    // 30000 bytes over 73728 blocks = 1671 ms at 44100 Hz.
    EXPECT_EQ(30000 * 8 / 1671, h.Info(DecoderCurrentBitrate));
    EXPECT_EQ(h.Stream(FrameBitrate, 0), h.Info(DecoderCurrentBitrate));
    Harness<COlderDecoder> older([] { auto f = SizedFrames(); f.version = 3900; return f; }(), 5000, 6000);
    EXPECT_EQ(30000 * 8 / 1671, older.Info(DecoderCurrentBitrate));
}

TEST(DecoderQueries, AverageBitrateOfTheWholeStreamIsTheStreams) {
    Harness<CFrameDecoder> h(SizedFrames(), -1, -1);
    int64_t expected = h.Stream(FileBytes) * 8 / h.Stream(LengthMs);
    EXPECT_EQ(expected, h.Info(DecoderAverageBitrate));
}

TEST(DecoderQueries, AverageBitrateOfARangeCountsFramesInProportion) {
    // Half of frame 0 and half of frame 1: 15000 + 10000 bytes over 73728 blocks.
    Harness<CFrameDecoder> halves(SizedFrames(), 36864, 73728 + 36864);
    EXPECT_EQ(25000 * 8 / 1671, halves.Info(DecoderAverageBitrate));
    // Half of frame 0, all of frames 1 and 2 (the last one sized from the file end).
    Harness<CFrameDecoder> tail(SizedFrames(), 36864, -1);
    EXPECT_EQ(45000 * 8 / (114688 * 1000 / 44100), tail.Info(DecoderAverageBitrate));
    // Within one frame.
    Harness<CFrameDecoder> inner(SizedFrames(), 73728 + 100, 73728 + 100 + 7372);
    EXPECT_EQ(int64_t(20000) * 7372 / 73728 * 8 / (7372 * 1000 / 44100), inner.Info(DecoderAverageBitrate));
}

TEST(DecoderQueries, AverageBitrateOfAnEmptyOrTimelessRangeIsZero) {
    Harness<CFrameDecoder> empty(SizedFrames(), 0, 0);
    EXPECT_EQ(0, empty.Info(DecoderAverageBitrate));
    // 40 blocks at 44100 Hz last under a millisecond.
    Harness<CFrameDecoder> brief(SizedFrames(), 10, 50);
    EXPECT_EQ(0, brief.Info(DecoderLengthMs));
    EXPECT_EQ(0, brief.Info(DecoderAverageBitrate));
}

// Old streams may have fewer seek table entries than frames (they are read in
// sequence): frame 1 here cannot be sized and adds nothing.
TEST(DecoderQueries, UnsizableFramesAddNothingToARange) {
    ZemFixture f = testing_support::OldZemFixture(3900);
    f.formatFlags = 0x10;
    f.seekCountField = 2;
    f.sampleRate = 73728;  // a second per frame
    f.frames = ZemFixture::FakeFrames({30000, 20000, 10000});
    Harness<COlderDecoder> h(f, 0, 2 * 73728);
    ASSERT_EQ(CODEC_OK, h.error);
    ASSERT_EQ(30000, h.Stream(FrameBytes, 0));
    ASSERT_EQ(-1, h.Stream(FrameBytes, 1));
    EXPECT_EQ(30000 * 8 / 2000, h.Info(DecoderAverageBitrate));
    Harness<COlderDecoder> only(f, 73728, 2 * 73728);
    EXPECT_EQ(0, only.Info(DecoderAverageBitrate));
}

TEST(DecoderQueries, ProportionalSharesAtMillisecondScale) {
    Harness<CFrameDecoder> h(MillisecondFrames(), 50, 250);
    // 150 of frame 0, all 200 of frame 1, 50 of frame 2, over 2 ms.
    EXPECT_EQ((150 + 200 + 50) * 8 / 2, h.Info(DecoderAverageBitrate));
}

namespace {

// An 8-bit mono stream of 2,100,000,000 blocks (more than fit in 32-bit
// milliseconds) in 32 frames of 2^26 blocks, the last one shorter.
ZemFixture LongMonoStream() {
    ZemFixture f = testing_support::CurrentZemFixture(3990);
    f.channels = 1;
    f.bitsPerSample = 8;
    f.blocksPerFrame = 1u << 26;
    f.finalFrameBlocks = 2100000000u - 31u * (1u << 26);
    f.frames = ZemFixture::FakeFrames(std::vector<uint32_t>(32, 2));
    return f;
}

}  // namespace

TEST(DecoderQueries, TimesAreComputedIn64Bits) {
    Harness<CFrameDecoder> h(LongMonoStream(), -1, -1);
    ASSERT_EQ(2100000000, h.Info(DecoderTotalBlocks));
    EXPECT_EQ(int64_t(2100000000) * 1000 / 44100, h.Info(DecoderLengthMs));
    EXPECT_EQ(47619047, h.Info(DecoderLengthMs));
}

TEST(DecoderQueries, RangeWaveHeaderOfAHugeRangeStaysRepresentable) {
    // 36 frames of 2^24 stereo 16-bit blocks: 2,415,919,104 bytes of audio.
    ZemFixture f = testing_support::CurrentZemFixture(3990);
    f.blocksPerFrame = 1u << 24;
    f.finalFrameBlocks = 1u << 24;
    f.frames = ZemFixture::FakeFrames(std::vector<uint32_t>(36, 2));
    Harness<CFrameDecoder> h(f, 1, -1);
    std::vector<uint8_t> header(44, 0);
    ASSERT_EQ(0, h.Info(WavHeaderData, reinterpret_cast<intptr_t>(header.data()), 44));
    auto u32 = [&](size_t at) {
        return uint32_t(header[at]) | uint32_t(header[at + 1]) << 8 | uint32_t(header[at + 2]) << 16 |
               uint32_t(header[at + 3]) << 24;
    };
    EXPECT_EQ(uint32_t(INT32_MAX), u32(4));
    EXPECT_EQ(uint32_t(INT32_MAX - 36), u32(40));
}


TEST(DecoderVersions, BoundariesOfBothClasses) {
    struct Case {
        uint16_t version;
        int frameError;
        int olderError;
    } cases[] = {
        {3800, CODEC_FAILED, CODEC_OK}, {3920, CODEC_FAILED, CODEC_OK},   {3921, CODEC_FAILED, CODEC_FAILED},
        {3925, CODEC_FAILED, CODEC_FAILED}, {3929, CODEC_FAILED, CODEC_FAILED},
        {3930, CODEC_OK, CODEC_FAILED},  {3990, CODEC_OK, CODEC_FAILED},
    };
    for (const Case& c : cases) {
        ZemFixture f = c.version >= 3980 ? testing_support::CurrentZemFixture(c.version)
                                         : testing_support::OldZemFixture(c.version);
        Harness<CFrameDecoder> frame(f, -1, -1);
        EXPECT_EQ(c.frameError, frame.error) << c.version;
        Harness<COlderDecoder> older(f, -1, -1);
        EXPECT_EQ(c.olderError, older.error) << c.version;
    }
}

TEST(DecoderVersions, RefusedDecoderStillOwnsAndReleasesItsStream) {
    // The sanitizer build reports the stream information as leaked if not.
    CMemoryStream io(BuildZemBytes(testing_support::OldZemFixture(3925)));
    int error = 0;
    CFrameDecoder frame(&error, new CStreamInfo(&io, nullptr), -1, -1);
    EXPECT_EQ(CODEC_FAILED, error);
    error = 0;
    COlderDecoder older(&error, new CStreamInfo(&io, nullptr), -1, -1);
    EXPECT_EQ(CODEC_FAILED, error);
}

TEST(DecoderVersions, MissingStreamOrErrorSlot) {
    int error = 0;
    CFrameDecoder frame(&error, nullptr, -1, -1);
    EXPECT_EQ(CODEC_FAILED, error);
    EXPECT_EQ(-1, frame.GetInfo(DecoderTotalBlocks));
    EXPECT_EQ(-1, frame.GetInfo(SampleRate));
    COlderDecoder older(nullptr, nullptr, 0, 0);
    EXPECT_EQ(-1, older.GetInfo(WavHeaderBytes));

    CMemoryStream io(BuildZemBytes(testing_support::CurrentZemFixture(3990)));
    CFrameDecoder quiet(nullptr, new CStreamInfo(&io, nullptr), 5, 10);
    EXPECT_EQ(5, quiet.GetInfo(DecoderTotalBlocks));
}

TEST(DecoderVersions, UsableThroughTheInterface) {
    CMemoryStream io(BuildZemBytes(testing_support::CurrentZemFixture(3990)));
    int error = -7;
    std::unique_ptr<CDecoder> decoder(new CFrameDecoder(&error, new CStreamInfo(&io, nullptr), 0, 1000));
    EXPECT_EQ(CODEC_OK, error);
    EXPECT_EQ(1000, decoder->GetInfo(DecoderTotalBlocks));
    EXPECT_EQ(3990, decoder->GetInfo(Version));
}
