// SPDX-License-Identifier: BSD-3-Clause
// Frames (and, before 3930, channel blocks) that end at every byte around a
// refill of the range decoder's buffer decode exactly: up to 3950 a block's
// end steps back over bytes read before its last value, which a refill just
// before that value must not have dropped.
#include "container/codec_error.h"
#include "container/info_id.h"
#include "decode/decoder_factory.h"
#include "io/memory_stream.h"
#include "tests/decoder/refill_streams.h"
#include "tests/older_encoder/older_stream.h"
#include "tests/support/wave_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

using namespace zem;

using namespace refill_streams;
namespace fs = std::filesystem;

namespace {

// Distances, in bytes, from the start of the read that last refilled the
// buffer to the end of the block under test, that every sweep must see. Up
// to 3950 a block's end steps back two bytes, so it may lie up to two bytes
// before the refill's start.
int64_t WindowLow(int32_t version) { return version <= 3950 ? -2 : 0; }
constexpr int64_t kWindowHigh = 10;

// Interleaved noise of +-loud, from block `loudBlocks` on of +-quiet.
std::vector<int32_t> Noise(int channels, uint32_t blocks, uint32_t loudBlocks, int32_t loud, int32_t quiet) {
    std::vector<int32_t> samples;
    uint32_t seed = 7;
    for (uint32_t b = 0; b < blocks; ++b)
        for (int c = 0; c < channels; ++c) {
            seed = seed * 1664525u + 1013904223u;
            const int32_t amplitude = b < loudBlocks ? loud : quiet;
            samples.push_back(int32_t((seed >> 16) % uint32_t(2 * amplitude + 1)) - amplitude);
        }
    return samples;
}

// Every block of the stream, which must all pass their checks.
Bytes DecodeAll(const Bytes& file) {
    CMemoryStream io(file, true);
    int error = -7;
    std::unique_ptr<CDecoder> decoder = OpenDecoderFromIo(&io, &error);
    EXPECT_TRUE(decoder);
    if (!decoder)
        return {};
    int result = CODEC_OK;
    Bytes pcm = testing_support::DecodeBlocks(*decoder, 8192, &result);
    EXPECT_EQ(CODEC_OK, result);
    return pcm;
}

// One stream of a sweep, made from an integer parameter: its file, what it
// decodes to, and the walk over it. Block 0 is the block under test.
struct Probe {
    int32_t parameter = 0;
    Bytes file;
    Bytes pcm;
    Walk walk;
    int64_t End() const { return walk.blockEnds[0]; }
};
using ProbeMaker = std::function<Probe(int32_t parameter)>;

// The block end moves later, by about a byte or less a step, as the
// parameter grows. Two probes, whose block ends lie on either side of a
// refill, aim the sweep a little before it; the sweep then walks the end
// across it, decoding every stream. Returns the distances seen.
std::set<int64_t> SweepAcrossRefill(const ProbeMaker& make, int32_t first, int32_t second, const char* name) {
    Probe low = make(first), high = make(second);
    int64_t target = -1;
    for (int64_t refill : high.walk.refills)
        if (refill > low.End() + 8 && refill <= high.End() && target < 0)
            target = refill;
    if (target < 0) {
        ADD_FAILURE() << name << ": no refill between the probes' ends " << low.End() << " and " << high.End();
        return {};
    }
    // Secant steps between the probes until the low one ends just before the refill.
    for (int i = 0; i < 12 && high.parameter - low.parameter > 1 && target - 3 - low.End() > 2; ++i) {
        const double perStep = double(high.End() - low.End()) / (high.parameter - low.parameter);
        const int32_t guess = low.parameter + int32_t((target - 3 - low.End()) / perStep);
        Probe p = make(std::clamp(guess, low.parameter + 1, high.parameter - 1));
        (p.End() < target - 3 ? low : high) = std::move(p);
    }
    std::set<int64_t> seen;
    for (int32_t parameter = low.parameter; parameter < low.parameter + 250; ++parameter) {
        const Probe p = make(parameter);
        const int64_t since = p.walk.sinceRefill[0];
        EXPECT_EQ(p.pcm, DecodeAll(p.file)) << name << " " << parameter << ", " << since << " bytes from a refill";
        seen.insert(since);
        if (p.End() - target > kWindowHigh + 1)
            break;
    }
    return seen;
}

void ExpectWindowCovered(const std::set<int64_t>& seen, int32_t version) {
    for (int64_t offset = WindowLow(version); offset <= kWindowHigh; ++offset)
        EXPECT_TRUE(seen.count(offset)) << version << ": no block ends " << offset << " bytes from a refill";
}

// Frame 0 of a frame-decoder stream: `noisyBlocks` of noise, then silence;
// a short final frame of noise follows it. More noise, a later end.
ProbeMaker NoisyStart(uint16_t version, uint32_t blocksPerFrame) {
    return [=](int32_t noisyBlocks) {
        const BuiltStream s = FrameDecoderStream(version, 1, blocksPerFrame,
                                                 Noise(1, blocksPerFrame + 4096, uint32_t(noisyBlocks), 10, 0));
        return Probe{noisyBlocks, s.file, s.pcm,
                     WalkFrames(s.file, s.firstFrame, version, 1, {int32_t(blocksPerFrame), 4096})};
    };
}

TEST(RefillBoundary, FramesOfTheFrameDecoderEndAtEveryByteAroundARefill) {
    // Old headers fix the blocks per frame (73728, from 3950 on 294912).
    ExpectWindowCovered(SweepAcrossRefill(NoisyStart(3930, 73728), 30000, 45000, "3930"), 3930);
    ExpectWindowCovered(SweepAcrossRefill(NoisyStart(3950, 294912), 1000, 16000, "3950"), 3950);
    // A current header takes any: the frame grows by a block a step.
    const ProbeMaker frameLength = [](int32_t blocksPerFrame) {
        const BuiltStream s = FrameDecoderStream(3990, 2, uint32_t(blocksPerFrame),
                                                 Noise(2, uint32_t(blocksPerFrame) + 4096, 0, 0, 1));
        return Probe{blocksPerFrame, s.file, s.pcm, WalkFrames(s.file, s.firstFrame, 3990, 2, {blocksPerFrame, 4096})};
    };
    ExpectWindowCovered(SweepAcrossRefill(frameLength, 26000, 30000, "3990"), 3990);
}

// The older path reads a channel as one block: the X block's end sweeps
// across the refill, and the Y block behind it must still decode.
TEST(RefillBoundary, ChannelBlocksOfTheOlderPathEndAtEveryByteAroundARefill) {
    const ProbeMaker blocks = [](int32_t n) {
        older_encoder::OlderStreamShape shape;
        shape.version = 3900;
        shape.level = 1000;
        shape.crcChecks = true;
        shape.frames = 1;
        shape.finalFrameBlocks = uint32_t(n);
        shape.amplitude = 2;
        older_encoder::OlderStream stream = older_encoder::BuildOlderStream(shape);
        stream.fixture.terminatingData = Bytes(20000, 0);
        Probe p{n, testing_support::BuildZemBytes(stream.fixture), stream.pcm, {}};
        p.walk = WalkOlderFrame(p.file, stream.frameStarts[0], 3900, 2, n);
        return p;
    };
    ExpectWindowCovered(SweepAcrossRefill(blocks, 30000, 36000, "3900"), 3900);
}

fs::path ReproFile(const char* name) {
    for (fs::path candidate : {fs::path(ZEM_SOURCE_DIR) / ".." / "shared" / "repro" / name,
                               fs::path("/work/shared/repro") / name})
        if (fs::is_regular_file(candidate))
            return candidate;
    return fs::path();
}

// A version 3940 stream whose first frame ends right after a refill.
TEST(RefillBoundary, ReproStreamDecodesWhole) {
    const fs::path path = ReproFile("refill-3940.zem");
    if (path.empty())
        GTEST_SKIP() << "the shared repro folder is absent";
    CMemoryStream io(testing_support::ReadFileBytes(path), true);
    int error = -7;
    std::unique_ptr<CDecoder> decoder = OpenDecoderFromIo(&io, &error);
    ASSERT_TRUE(decoder);
    ASSERT_EQ(73792, decoder->GetInfo(DecoderTotalBlocks));
    int result = -7;
    const Bytes pcm = testing_support::DecodeBlocks(*decoder, 4096, &result);
    EXPECT_EQ(-7, result);  // no call reported a failed frame
    EXPECT_EQ(73792u * 2, pcm.size());
}

}  // namespace
