// SPDX-License-Identifier: BSD-3-Clause
// The frame loop on real encoded streams: damaged frames and their fill,
// seeks, block ranges, flags and streams no frame can be decoded from.
#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "decode/current/frame_decoder.h"
#include "decode/decoder_factory.h"
#include "io/memory_stream.h"
#include "tests/support/wave_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace zem;

using namespace testing_support;

namespace {

struct Encoded {
    Bytes wave;
    Bytes stream;
    Bytes pcm;  // the audio alone
    uint32_t headerBytes = 0;
};

Encoded Encode(WaveShape shape, int level, int32_t blocksPerFrame) {
    Encoded e;
    e.wave = BuildWave(shape);
    e.pcm = PcmBytes(MakeSamples(shape), shape.bitsPerSample);
    e.headerBytes = static_cast<uint32_t>(e.wave.size() - e.pcm.size() - shape.trailing.size());
    int result = -7;
    e.stream = EncodeWaveBytes(e.wave, level, blocksPerFrame, &result);
    EXPECT_EQ(CODEC_OK, result);
    return e;
}

// A decoder over its own copy of the bytes, kept alive with it.
struct Opened {
    Opened(const Bytes& bytes, int start = -1, int finish = -1) : io(bytes, true) {
        int error = -7;
        CStreamInfo* info = new CStreamInfo(&io, &error);
        EXPECT_EQ(CODEC_OK, error);
        decoder = OpenDecoderFromInfo(info, start, finish, &error);
        EXPECT_EQ(CODEC_OK, error);
    }
    CMemoryStream io;
    std::unique_ptr<CDecoder> decoder;
};

uint32_t FrameOffset(const Bytes& stream, int frame) {
    CMemoryStream io(stream, true);
    CStreamInfo info(&io, nullptr);
    return static_cast<uint32_t>(info.GetInfo(SeekByte, frame));
}

// Where byte `i` of a frame, in reading order, stands in the file: groups of
// four counted from the first frame are stored last to first.
uint32_t FileIndex(const Bytes& stream, int frame, uint32_t i) {
    uint32_t first = FrameOffset(stream, 0);
    uint32_t at = FrameOffset(stream, frame) + i - first;
    return first + (at & ~3u) + (3 - (at & 3));
}

// A damaged frame reads as fill bytes (127 for 8-bit audio), its neighbours
// are untouched and exactly the reads that hand out fill say so. Read in small
// pieces, the damaged frame is decoded over several calls while the ring
// still holds the frame before it; it must be filled whole all the same.
TEST(FrameDecoder, DamagedFrameReadsAsFillWholeAndIsReported) {
    struct Case {
        uint16_t bits;
        uint16_t channels;
        int32_t chunk;  // blocks per GetData
    } cases[] = {{16, 2, 100000}, {8, 2, 4096}, {24, 1, 700}, {16, 2, 100}};
    const int32_t kFrame = 8192;
    for (const Case& c : cases) {
        WaveShape shape;
        shape.bitsPerSample = c.bits;
        shape.channels = c.channels;
        shape.blocks = 3 * kFrame + 500;
        shape.signal = Signal::Noise;
        Encoded e = Encode(shape, 2000, kFrame);
        Bytes damaged = e.stream;
        uint32_t at = FrameOffset(damaged, 1) + 40;
        damaged[at] ^= 0x5A;
        Opened o(damaged);
        int32_t blockAlign = c.channels * c.bits / 8;
        Bytes out;
        std::vector<uint8_t> chunk(size_t(c.chunk) * blockAlign);
        for (;;) {
            int got = 0;
            int result = o.decoder->GetData(chunk.data(), c.chunk, &got);
            int64_t first = int64_t(out.size()) / blockAlign;
            bool touchesFill = first < 2 * kFrame && first + got > kFrame;
            EXPECT_EQ(touchesFill ? CODEC_BAD_CHECKSUM : CODEC_OK, result) << c.chunk << " at " << first;
            out.insert(out.end(), chunk.begin(), chunk.begin() + int64_t(got) * blockAlign);
            if (got == 0)
                break;
        }
        ASSERT_EQ(e.pcm.size(), out.size());
        size_t frameBytes = size_t(kFrame) * blockAlign;
        uint8_t fill = c.bits == 8 ? 127 : 0;
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + frameBytes, e.pcm.begin()));
        EXPECT_TRUE(std::all_of(out.begin() + frameBytes, out.begin() + 2 * frameBytes,
                                [&](uint8_t b) { return b == fill; }))
            << c.bits << "-bit, " << c.chunk << " blocks a call";
        EXPECT_TRUE(std::equal(out.begin() + 2 * frameBytes, out.end(), e.pcm.begin() + 2 * frameBytes));
    }
}

// A silent stereo frame carries no residuals but still its check: damage the
// check word and the frame fails.
TEST(FrameDecoder, SilentFramesAreStillChecked) {
    WaveShape shape;
    shape.bitsPerSample = 8;
    shape.blocks = 3000;
    shape.signal = Signal::Silence;
    Encoded e = Encode(shape, 1000, 1000);
    Opened good(e.stream);
    int result = -7;
    Bytes out = DecodeBlocks(*good.decoder, 5000, &result);
    EXPECT_EQ(Bytes(6000, 128), out);
    Bytes damaged = e.stream;
    damaged[FileIndex(damaged, 2, 3)] ^= 1;  // lowest byte of the check word
    Opened bad(damaged);
    result = 0;
    out = DecodeBlocks(*bad.decoder, 5000, &result);
    EXPECT_EQ(CODEC_BAD_CHECKSUM, result);
    Bytes expected(6000, 128);
    std::fill(expected.begin() + 4000, expected.end(), 127);
    EXPECT_EQ(expected, out);
}

// Seeks land on the block asked for, counted from the range's start and
// clamped to it, and read on exactly as a straight decode does.
TEST(FrameDecoder, SeeksMatchAStraightDecodeInsideAnyRange) {
    WaveShape shape;
    shape.blocks = 5000;
    Encoded e = Encode(shape, 3000, 1024);
    const int32_t blockAlign = 4;
    struct Range {
        int start;
        int finish;
    } ranges[] = {{-1, -1}, {1000, 4000}, {1023, 1025}, {4999, -1}, {0, 1}};
    for (const Range& r : ranges) {
        Opened o(e.stream, r.start, r.finish);
        int64_t first = std::max(r.start, 0);
        int64_t last = r.finish < 0 ? 5000 : r.finish;
        Bytes whole = DecodeBlocks(*o.decoder, 333);
        ASSERT_EQ(size_t(last - first) * blockAlign, whole.size()) << r.start;
        EXPECT_TRUE(std::equal(whole.begin(), whole.end(), e.pcm.begin() + first * blockAlign)) << r.start;
        for (int target : {0, 1, 23, 24, 1023, 1024, 1025, 2999, 4999, 5000, 100000, -5}) {
            ASSERT_EQ(CODEC_OK, o.decoder->Seek(target)) << target;
            int64_t landed = std::clamp<int64_t>(target, 0, last - first - 1);
            EXPECT_EQ(landed, o.decoder->GetInfo(DecoderCurrentBlock)) << target;
            std::vector<uint8_t> piece(100 * blockAlign);
            int got = 0;
            EXPECT_EQ(CODEC_OK, o.decoder->GetData(piece.data(), 100, &got));
            ASSERT_EQ(std::min<int64_t>(100, last - first - landed), got) << r.start << " " << target;
            EXPECT_TRUE(std::equal(piece.begin(), piece.begin() + got * blockAlign,
                                   e.pcm.begin() + (first + landed) * blockAlign))
                << r.start << " " << target;
        }
    }
}

// A 16-bit stereo block whose samples do not fit fails its frame: a 24-bit
// stream of 32768 on both sides, read as 16-bit, gives only fill.
// A read decodes the frames it needs and no more, and a seek to a frame the
// read buffer already holds reads nothing again: a stream of one-block frames
// read frame by frame after seeks costs about one pass over its bytes.
TEST(FrameDecoder, ReadsOnlyWhatItNeedsFrameByFrame) {
    WaveShape shape;
    shape.blocks = 6000;
    const Encoded e = Encode(shape, 2000, 1);
    ASSERT_GT(e.stream.size(), 3u * 16384);
    Opened o(e.stream);
    uint8_t block[4] = {};
    int got = 0;
    ASSERT_EQ(CODEC_OK, o.decoder->GetData(block, 1, &got));
    const int32_t afterFirst = o.io.GetPosition();
    EXPECT_EQ(FrameOffset(e.stream, 0) + 16384, uint32_t(afterFirst));  // one buffer, no refill
    for (int b = 1; b < 300; b += 3) {
        ASSERT_EQ(CODEC_OK, o.decoder->Seek(b));
        ASSERT_EQ(CODEC_OK, o.decoder->GetData(block, 1, &got));
        ASSERT_EQ(1, got);
        EXPECT_TRUE(std::equal(block, block + 4, e.pcm.begin() + 4 * b)) << b;
    }
    EXPECT_EQ(afterFirst, o.io.GetPosition());
}

TEST(FrameDecoder, SixteenBitSampleOutOfRangeFailsTheFrame) {
    WaveShape shape;
    shape.bitsPerSample = 24;
    shape.blocks = 300;
    shape.signal = Signal::Silence;
    Bytes wave = BuildWave(shape);
    for (size_t at = 44; at < wave.size(); at += 3)
        wave[at + 1] = 0x80;  // 0x008000 = 32768
    int result = -7;
    Bytes stream = EncodeWaveBytes(wave, 2000, 128, &result);
    ASSERT_EQ(CODEC_OK, result);
    stream[52 + 16] = 16;
    Opened o(stream);
    result = 0;
    EXPECT_EQ(Bytes(300 * 4, 0), DecodeBlocks(*o.decoder, 100, &result));
    EXPECT_EQ(CODEC_BAD_CHECKSUM, result);
}


// What a decoder cannot decode it refuses plainly, without throwing: sample
// sizes and channel counts it has no output for. (Unknown levels and sample
// sizes no wave file has are refused with the header.)
TEST(FrameDecoder, StreamsWithoutADecodableFrameAreRefused) {
    WaveShape shape;
    shape.blocks = 100;
    Encoded e = Encode(shape, 2000, 64);
    struct Patch {
        size_t offset;  // in the 24-byte header behind the 52-byte descriptor
        uint16_t value;
        int result;
    } patches[] = {{16, 32, CODEC_BAD_INPUT}, {18, 3, CODEC_BAD_INPUT}};
    for (const Patch& p : patches) {
        Bytes patched = e.stream;
        patched[52 + p.offset] = static_cast<uint8_t>(p.value);
        patched[53 + p.offset] = static_cast<uint8_t>(p.value >> 8);
        Opened o(patched);
        std::vector<uint8_t> out(4096);
        int got = -1;
        EXPECT_EQ(p.result, o.decoder->GetData(out.data(), 10, &got)) << p.offset << "=" << p.value;
        EXPECT_EQ(0, got);
        EXPECT_EQ(p.result, o.decoder->Seek(0));
    }
}

// Cut streams and noise in place of frames end in failed frames, never in a
// crash, a hang or a read outside a buffer.
TEST(FrameDecoder, HostileStreamsEndInFailedFrames) {
    WaveShape shape;
    shape.blocks = 3000;
    shape.signal = Signal::Music;
    Encoded e = Encode(shape, 4000, 1024);
    uint32_t frames = FrameOffset(e.stream, 0);
    uint32_t last = FrameOffset(e.stream, 2);
    uint32_t seed = 99;
    for (int variant = 0; variant < 12; ++variant) {
        Bytes hostile = e.stream;
        if (variant < 6) {  // cut inside the last frame (a cut before it leaves frames outside the file)
            hostile.resize(last + 1 + (hostile.size() - last - 1) * variant / 6);
        } else {
            for (size_t i = frames + 3; i < hostile.size(); i += 1 + variant) {
                seed = seed * 1664525u + 1013904223u;
                hostile[i] = static_cast<uint8_t>(seed >> 24);
            }
        }
        Opened o(hostile);
        int result = 0;
        Bytes out = DecodeBlocks(*o.decoder, 1000, &result);
        EXPECT_EQ(e.pcm.size(), out.size()) << variant;
        // A last frame the file holds in part is reported as cut, not as damaged.
        EXPECT_EQ(variant < 6 ? CODEC_TRUNCATED : CODEC_BAD_CHECKSUM, result) << variant;
    }
}

}  // namespace
