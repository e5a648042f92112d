// SPDX-License-Identifier: BSD-3-Clause
// Seeds of the frame decoder fuzzer whose passing frames cross the 16 KB
// refills of the range decoder's buffer: the older path (3900 to 3920) from
// the test encoder, the frame decoder's versions from its own frames. All
// stay below the fuzzer's 64 KB input limit.
#include "fuzz/refill_seeds.h"

#include "tests/decoder/refill_streams.h"
#include "tests/older_encoder/older_stream.h"

namespace {

using testing_support::Bytes;

// Quiet audio: a small step every few samples, so that a frame of 73728
// blocks codes to about 20 KB.
std::vector<int32_t> Quiet(int channels, uint32_t blocks, uint32_t seed) {
    std::vector<int32_t> samples;
    for (uint32_t i = 0; i < blocks * uint32_t(channels); ++i) {
        seed = seed * 1664525u + 1013904223u;
        samples.push_back(i % 6 == 0 ? int32_t(seed >> 30) - 2 : 0);
    }
    return samples;
}

}  // namespace

std::vector<Bytes> RefillCrossingSeeds() {
    std::vector<Bytes> seeds;
    uint32_t seed = 1;
    for (uint16_t version : {3900, 3910, 3920}) {
        older_encoder::OlderStreamShape shape;
        shape.version = version;
        shape.level = version == 3910 ? 3000 : 1000;
        shape.channels = 1;
        shape.crcChecks = true;
        shape.frames = 2;
        shape.finalFrameBlocks = 30000;
        shape.amplitude = 0;  // zero residuals, with rare spikes
        shape.seed = seed++;
        seeds.push_back(older_encoder::BuildOlderStream(shape).file);
    }
    // Blocks per frame: 73728 below 3950; a current header (3980 on) takes any.
    // Stereo from 3950 only.
    struct Shape {
        uint16_t version;
        uint16_t channels;
        uint32_t blocksPerFrame;
        uint32_t blocks;
    } shapes[] = {{3930, 1, 0, 73728 + 40000}, {3940, 1, 0, 73728 + 20000},
                  {3980, 2, 25000, 3 * 25000 + 500}, {3990, 1, 60000, 2 * 60000 + 7000}};
    for (const Shape& s : shapes)
        seeds.push_back(refill_streams::FrameDecoderStream(s.version, s.channels, s.blocksPerFrame,
                                                           Quiet(s.channels, s.blocks, seed++), 64)
                            .file);
    return seeds;
}
