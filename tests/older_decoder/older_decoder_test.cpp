// SPDX-License-Identifier: BSD-3-Clause
// COlderDecoder over whole streams: frame kinds, damaged frames, seeking,
// block ranges, refused versions and hostile frame tables.
#include "tests/older_decoder/older_decode.h"
#include "tests/older_encoder/older_stream.h"

#include <gtest/gtest.h>

namespace {

using older_encoder::BuildOlderStream;
using older_encoder::OlderStream;
using older_encoder::OlderStreamShape;
using older_tests::Bytes;
using older_tests::OpenOlder;
using namespace older_encoder;

OlderStreamShape Shape(uint16_t version, uint16_t level, int frames, bool crc = false) {
    OlderStreamShape shape;
    shape.version = version;
    shape.level = level;
    shape.frames = frames;
    shape.crcChecks = crc;
    shape.finalFrameBlocks = 777;
    return shape;
}

Bytes Slice(const OlderStream& s, uint32_t firstBlock, uint32_t blocks) {
    return Bytes(s.pcm.begin() + firstBlock * s.blockAlign, s.pcm.begin() + (firstBlock + blocks) * s.blockAlign);
}

TEST(OlderDecoder, SilentAndFlaggedFrames) {
    struct Case {
        uint16_t version;
        int channels;
        bool crc;
        std::vector<uint32_t> kinds;
    };
    const Case cases[] = {
        {3800, 2, false, {kFrameSilent, kFrameCoded, kFrameSilent}},  // check word 0: both channels silent
        {3870, 1, false, {kFrameCoded, kFrameSilent, kFrameCoded}},
        {3830, 2, true, {kFrameSilent, kFrameMonoCoded, kFrameCoded}},  // flag words from 3821
        {3890, 1, true, {kFrameXSilent, kFrameCoded, kFrameXSilent}},
        {3890, 2, true, {kFrameXSilent, kFrameMonoCoded, kFrameSilent}},  // X alone silent: stereo still decodes X
    };
    for (const Case& c : cases) {
        OlderStreamShape shape = Shape(c.version, 2000, 3, c.crc);
        shape.channels = static_cast<uint16_t>(c.channels);
        shape.frameKinds = c.kinds;
        const OlderStream stream = BuildOlderStream(shape);
        OpenOlder open(stream.file);
        int result = -7;
        EXPECT_TRUE(open.ReadAll(5000, &result) == stream.pcm) << c.version;
        EXPECT_EQ(CODEC_OK, result) << c.version;
    }
    // A silent stereo frame is zero samples.
    OlderStreamShape shape = Shape(3800, 2000, 1);
    shape.frameKinds = {kFrameSilent};
    EXPECT_EQ(Bytes(777 * 4, 0), BuildOlderStream(shape).pcm);
}

// A damaged frame ends decoding with -1; the frames before it are delivered whole.
TEST(OlderDecoder, DamagedFrameStopsAfterTheGoodBlocks) {
    for (uint16_t version : {3800, 3850, 3881})
        for (bool crc : {false, true}) {
            const OlderStream stream = BuildOlderStream(Shape(version, 3000, 3, crc));
            Bytes damaged = stream.file;
            damaged[stream.frameStarts[1] + 40] ^= 0x10;
            OpenOlder open(damaged);
            int result = 0;
            const Bytes pcm = open.ReadAll(1000, &result);
            EXPECT_EQ(CODEC_FAILED, result) << version << " crc " << crc;
            EXPECT_TRUE(pcm == Slice(stream, 0, stream.blocksPerFrame)) << version << " crc " << crc;
            // Asking again fails again and delivers nothing more.
            int got = -1;
            Bytes buffer(64 * stream.blockAlign);
            EXPECT_EQ(CODEC_FAILED, open.decoder->GetData(buffer.data(), 64, &got));
            EXPECT_EQ(0, got);
        }
}

// A damaged first frame fails only itself: a fresh decoder's first seek past
// it lands and decodes, as a later seek on a used decoder does (the threads of
// a parallel decode each start with such a seek).
TEST(OlderDecoder, DamagedFirstFrameLeavesFirstSeekElsewhere) {
    for (uint16_t version : {3800, 3881})
        for (bool seekFirst : {true, false}) {
            const OlderStream stream = BuildOlderStream(Shape(version, 3000, 3, true));
            Bytes damaged = stream.file;
            damaged[stream.frameStarts[0] + 40] ^= 0x10;
            OpenOlder open(damaged);
            const uint32_t bpf = stream.blocksPerFrame;
            Bytes buffer(100 * stream.blockAlign);
            int got = -1;
            if (!seekFirst) {
                EXPECT_EQ(CODEC_FAILED, open.decoder->GetData(buffer.data(), 100, &got)) << version;
                EXPECT_EQ(0, got);
            }
            ASSERT_EQ(CODEC_OK, open.decoder->Seek(static_cast<int>(bpf + 5))) << version << " " << seekFirst;
            EXPECT_EQ(CODEC_OK, open.decoder->GetData(buffer.data(), 100, &got));
            ASSERT_EQ(100, got);
            EXPECT_TRUE(buffer == Slice(stream, bpf + 5, 100)) << version << " " << seekFirst;
        }
}

TEST(OlderDecoder, SeekLandsOnTheBlock) {
    for (uint16_t version : {3600, 3800, 3850}) {
        const OlderStream stream = BuildOlderStream(Shape(version, 1000, 3));
        const uint32_t bpf = stream.blocksPerFrame;
        OpenOlder open(stream.file);
        for (uint32_t block : {bpf + 5, 0u, 17u, bpf - 1, 2 * bpf, 2 * bpf + 776, bpf}) {
            ASSERT_EQ(CODEC_OK, open.decoder->Seek(static_cast<int>(block))) << version << " " << block;
            const uint32_t blocks = std::min(300u, stream.totalBlocks - block);
            Bytes buffer(300 * stream.blockAlign);
            int got = 0;
            EXPECT_EQ(CODEC_OK, open.decoder->GetData(buffer.data(), 300, &got));
            ASSERT_EQ(static_cast<int>(blocks), got) << version << " " << block;
            buffer.resize(blocks * stream.blockAlign);
            EXPECT_TRUE(buffer == Slice(stream, block, blocks)) << version << " " << block;
        }
        // Beyond the end: the last block.
        EXPECT_EQ(CODEC_OK, open.decoder->Seek(static_cast<int>(stream.totalBlocks + 50)));
        EXPECT_EQ(stream.totalBlocks - 1, open.decoder->GetInfo(2000));
    }
}

// A link file's track over an old image decodes exactly its blocks.
TEST(OlderDecoder, BlockRangeDecodesItsSlice) {
    const OlderStream stream = BuildOlderStream(Shape(3800, 3000, 2));
    const uint32_t bpf = stream.blocksPerFrame;
    const struct {
        int start, finish;
    } ranges[] = {{1000, 5000}, {int(bpf) - 10, int(bpf) + 10}, {int(bpf) + 1, -1}, {0, 1}};
    for (const auto& r : ranges) {
        OpenOlder open(stream.file, r.start, r.finish);
        const uint32_t finish = r.finish < 0 ? stream.totalBlocks : uint32_t(r.finish);
        int result = -7;
        EXPECT_TRUE(open.ReadAll(333, &result) == Slice(stream, r.start, finish - r.start)) << r.start;
        EXPECT_EQ(CODEC_OK, result);
        EXPECT_EQ(CODEC_OK, open.decoder->Seek(0));
        EXPECT_EQ(0, open.decoder->GetInfo(2000)) << "seek 0 lands on the range's first block";
    }
}

TEST(OlderDecoder, VersionsWithoutCodedValuesAreRefused) {
    const struct {
        uint16_t version;
        int error;
    } rows[] = {{3890, CODEC_OK}, {3891, CODEC_BAD_INPUT}, {3895, CODEC_BAD_INPUT}, {3899, CODEC_BAD_INPUT},
                {3900, CODEC_OK}, {3920, CODEC_OK}, {3921, CODEC_FAILED}};
    for (const auto& row : rows) {
        testing_support::ZemFixture fixture = testing_support::OldZemFixture(row.version);
        OpenOlder open(testing_support::BuildZemBytes(fixture));
        EXPECT_EQ(row.error, open.constructError) << row.version;
        if (row.error != CODEC_OK) {
            // Should a caller decode anyway, nothing comes out.
            int got = -1;
            Bytes buffer(64);
            EXPECT_EQ(row.error, open.decoder->GetData(buffer.data(), 16, &got)) << row.version;
            EXPECT_EQ(0, got);
            EXPECT_EQ(row.error, open.decoder->Seek(3)) << row.version;
        }
    }
}

// From 3900 a frame's check can only be a CRC word: without the CRC format
// flag no frame can be checked, and none is handed out as silence.
TEST(OlderDecoder, RangeCodedFramesWithoutCrcFlagFail) {
    for (uint16_t version : {3900, 3920}) {
        OpenOlder open(testing_support::BuildZemBytes(testing_support::OldZemFixture(version)));
        ASSERT_EQ(CODEC_OK, open.constructError);
        int result = 0;
        EXPECT_TRUE(open.ReadAll(1024, &result).empty()) << version;
        EXPECT_EQ(CODEC_FAILED, result) << version;
    }
}

// A header announcing fewer seek table entries than frames: the frames without
// one still follow in sequence, but cannot be sought to.
TEST(OlderDecoder, FrameWithoutSeekEntryFailsCleanly) {
    OlderStreamShape shape = Shape(3850, 2000, 3);
    shape.extraFlags = 0x10;
    OlderStream stream = BuildOlderStream(shape);
    stream.fixture.seekCountField = 2;
    const Bytes file = testing_support::BuildZemBytes(stream.fixture);
    OpenOlder sequential(file);
    int result = -7;
    EXPECT_TRUE(sequential.ReadAll(4096, &result) == stream.pcm);
    EXPECT_EQ(CODEC_OK, result);
    OpenOlder seeking(file);
    EXPECT_EQ(CODEC_FAILED, seeking.decoder->Seek(static_cast<int>(2 * stream.blocksPerFrame + 3)));
    int got = -1;
    Bytes buffer(16);
    EXPECT_EQ(CODEC_FAILED, seeking.decoder->GetData(buffer.data(), 4, &got));
    EXPECT_EQ(0, got);
}

// A final frame announced longer than a frame is refused with the header.
TEST(OlderDecoder, OverlongFinalFrameIsRefused) {
    OlderStream stream = BuildOlderStream(Shape(3800, 2000, 1));
    stream.fixture.finalFrameBlocks = 5 * stream.blocksPerFrame;
    OpenOlder open(testing_support::BuildZemBytes(stream.fixture));
    EXPECT_EQ(CODEC_BAD_INPUT, open.openError);
}

// Only mono and stereo streams decode; others are refused before any buffer
// is sized by their channel count.
TEST(OlderDecoder, ChannelCountsOtherThanOneOrTwoAreRefused) {
    for (uint16_t channels : {0, 3, 65535}) {
        testing_support::ZemFixture fixture = testing_support::OldZemFixture(3800);
        fixture.channels = channels;
        OpenOlder open(testing_support::BuildZemBytes(fixture));
        Bytes buffer(16);
        int got = -1;
        EXPECT_EQ(CODEC_BAD_INPUT, open.decoder->GetData(buffer.data(), 1, &got)) << channels;
        EXPECT_EQ(0, got);
    }
}

TEST(OlderDecoder, TwentyFourBitAndOptionalHeaderWords) {
    for (uint16_t flags : {0x0, 0x4, 0x14, 0x20}) {
        OlderStreamShape shape = Shape(3700, 3000, 2, true);
        shape.bitsPerSample = 24;
        shape.extraFlags = flags;
        shape.amplitude = 3000;
        const OlderStream stream = BuildOlderStream(shape);
        OpenOlder open(stream.file);
        int result = -7;
        EXPECT_TRUE(open.ReadAll(2048, &result) == stream.pcm) << flags;
        EXPECT_EQ(CODEC_OK, result);
    }
}

}  // namespace

namespace {

// Bytes beyond a cut file's end read as zeros, which an unchecked old frame
// takes for silence: such frames fail as cut, whether the decoder reaches
// them fresh from a seek or reading on from the frame before.
TEST(OlderDecoder, FramesBeyondACutFileFailAsCut) {
    for (uint16_t version : {3800, 3870, 3890}) {
        SCOPED_TRACE(version);
        const OlderStream stream = BuildOlderStream(Shape(version, 2000, 3, version == 3890));
        const uint32_t cut = stream.frameStarts[1] + 8;
        const Bytes file(stream.file.begin(), stream.file.begin() + cut);
        const int lastFrame = 2 * static_cast<int>(stream.blocksPerFrame);
        {
            OpenOlder fresh(file);
            EXPECT_EQ(CODEC_TRUNCATED, fresh.decoder->Seek(lastFrame));
            Bytes buffer(64 * stream.blockAlign);
            int got = -1;
            EXPECT_EQ(CODEC_TRUNCATED, fresh.decoder->GetData(buffer.data(), 64, &got));
            EXPECT_EQ(0, got);
        }
        OpenOlder sequential(file);
        int result = CODEC_OK;
        EXPECT_EQ(Slice(stream, 0, stream.blocksPerFrame), sequential.ReadAll(512, &result));
        EXPECT_EQ(CODEC_TRUNCATED, result);
    }
}

}  // namespace
