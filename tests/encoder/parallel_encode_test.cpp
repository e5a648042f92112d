// SPDX-License-Identifier: BSD-3-Clause
// Encoding on several threads, the encoder's own check (--verify) and the
// level a 24-bit stream is written at.
#include "container/codec_error.h"
#include "encode/encoder.h"
#include "encode/frame_pipeline.h"
#include "encode/frame_tamper.h"
#include "io/memory_stream.h"
#include "tests/support/wave_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

using namespace zem;

using namespace testing_support;

namespace {

struct Encoded {
    int result = -7;
    std::string reason;
    Bytes stream;
};

Encoded Encode(const Bytes& wave, int32_t level, int32_t blocksPerFrame, int threads, bool verify = false) {
    CMemoryStream in(wave, true);
    CMemoryStream out;
    EncodeSettings settings;
    settings.level = level;
    settings.blocksPerFrame = blocksPerFrame;
    settings.threads = threads;
    settings.verify = verify;
    Encoded encoded;
    encoded.result = EncodeStream(in, out, settings, nullptr, &encoded.reason);
    encoded.stream = out.Bytes();
    return encoded;
}

// Four frames, the last one 40 blocks long. Frames of 2100 blocks go to the
// workers one by one, frames of 512 eight at a time.
constexpr int32_t kFrameBlocks = 2100;
constexpr int32_t kSmallFrameBlocks = 512;
Bytes FourFrameWave(uint16_t channels, uint16_t bits, int32_t frameBlocks = kFrameBlocks) {
    WaveShape shape;
    shape.channels = channels;
    shape.bitsPerSample = bits;
    shape.blocks = 3 * uint32_t(frameBlocks) + 40;
    shape.trailing = BytesOf("tail");
    return BuildWave(shape);
}

TEST(ParallelEncode, SameStreamOnAnyThreadCountAndWithTheCheck) {
    for (int32_t level : {1000, 2000, 3000, 4000, 5000}) {
        for (uint16_t bits : {8, 16, 24}) {
            for (uint16_t channels : {1, 2}) {
                const Bytes wave = FourFrameWave(channels, bits);
                const Encoded one = Encode(wave, level, kFrameBlocks, 1);
                ASSERT_EQ(CODEC_OK, one.result) << one.reason;
                ASSERT_EQ(wave, DecodeToWave(one.stream)) << level << " " << bits << "-bit " << channels;
                for (int threads : {2, 3, 8}) {
                    const Encoded many = Encode(wave, level, kFrameBlocks, threads, threads == 3);
                    EXPECT_EQ(CODEC_OK, many.result) << many.reason;
                    EXPECT_TRUE(one.stream == many.stream)
                        << level << " " << bits << "-bit " << channels << " channels, " << threads << " threads";
                }
            }
        }
    }
}

// Flips one byte of one frame, for as long as it lives.
class FrameDamage {
public:
    explicit FrameDamage(uint32_t frame) {
        s_frame = frame;
        SetEncodedFrameTamperForTests([](uint32_t index, std::vector<uint8_t>& bytes) {
            if (index == s_frame)
                bytes[bytes.size() / 2] ^= 0x5A;
        });
    }
    ~FrameDamage() { SetEncodedFrameTamperForTests(nullptr); }

private:
    static uint32_t s_frame;
};
uint32_t FrameDamage::s_frame = 0;

TEST(ParallelEncode, CheckNamesTheFrameThatDoesNotDecodeBack) {
    FrameDamage damage(3);
    for (int32_t frameBlocks : {kFrameBlocks, kSmallFrameBlocks}) {
        const Bytes wave = FourFrameWave(2, 16, frameBlocks);
        for (int threads : {1, 3}) {
            const Encoded checked = Encode(wave, 3000, frameBlocks, threads, true);
            EXPECT_EQ(CODEC_BAD_CHECKSUM, checked.result) << threads;
            EXPECT_EQ("frame 3 does not decode to its audio", checked.reason);
            // Without the check the damage goes unnoticed by the encoder.
            EXPECT_EQ(CODEC_OK, Encode(wave, 3000, frameBlocks, threads).result);
        }
    }
}

TEST(ParallelEncode, FailedCheckLeavesNoFile) {
    TempDir dir;
    WriteFileBytes(dir.File("in.wav"), FourFrameWave(1, 24, kSmallFrameBlocks));
    EncodeSettings settings;
    settings.blocksPerFrame = kSmallFrameBlocks;
    settings.threads = 2;
    settings.verify = true;
    FrameDamage damage(2);
    std::string reason;
    EXPECT_EQ(CODEC_BAD_CHECKSUM, EncodeFile(dir.WideFile("in.wav").c_str(), dir.WideFile("out.zem").c_str(),
                                             settings, nullptr, &reason));
    EXPECT_EQ("frame 2 does not decode to its audio", reason);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.zem")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.zem.partial")));
}

// Loud 24-bit audio clips in the filters' 16-bit histories, where the long
// filters of level 5000 once coded it larger than level 4000 did.
TEST(LevelChoice, NoLevelCodesLoud24BitAudioLargerThanALowerOne) {
    for (Signal signal : {Signal::Noise, Signal::FullScale}) {
        for (uint16_t channels : {1, 2}) {
            WaveShape shape;
            shape.channels = channels;
            shape.bitsPerSample = 24;
            shape.blocks = 12000;
            shape.signal = signal;
            const Bytes wave = BuildWave(shape);
            size_t below = SIZE_MAX;
            for (int32_t level : {1000, 2000, 3000, 4000, 5000}) {
                const Encoded encoded = Encode(wave, level, 4096, 2);
                ASSERT_EQ(CODEC_OK, encoded.result) << encoded.reason;
                EXPECT_EQ(wave, DecodeToWave(encoded.stream));
                EXPECT_LE(encoded.stream.size(), below) << "level " << level << ", signal " << int(signal) << ", "
                                                        << channels << " channels";
                below = encoded.stream.size();
            }
        }
    }
}

// However many threads are asked for, the frames in flight stay within the
// budget; frames too large for it are encoded one at a time.
TEST(PipelineShape, FramesInFlightStayWithinTheBudget) {
    struct Case {
        size_t framePcmBytes;
        bool verify;
    } cases[] = {{294912 * 6, false}, {294912 * 6, true}, {294912 * 2, true}, {4096, false}, {size_t(1) << 26, true}};
    for (const Case& c : cases) {
        for (int threads : {1, 2, 8, 64, 256}) {
            const PipelineShape shape = ShapePipeline(threads, 1000, c.framePcmBytes, c.verify);
            const size_t workerCost = c.verify ? 3 * c.framePcmBytes : 0;
            EXPECT_LE(shape.threads, size_t(threads));
            if (shape.threads == 0) {
                EXPECT_EQ(1u, shape.slots);
                continue;
            }
            EXPECT_GE(shape.slots, shape.threads);
            EXPECT_LE(shape.threads * workerCost + shape.slots * 2 * c.framePcmBytes, kEncodeMemoryBudget)
                << c.framePcmBytes << " " << threads;
        }
    }
    EXPECT_EQ(0u, ShapePipeline(1, 1000, 4096, false).threads);
    EXPECT_EQ(4u, ShapePipeline(2, 1000, 4096, false).slots);
    EXPECT_EQ(3u, ShapePipeline(8, 3, 4096, false).threads);  // never more workers than frames
}

}  // namespace
