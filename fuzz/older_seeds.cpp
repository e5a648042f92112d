// SPDX-License-Identifier: BSD-3-Clause
// Seeds of the older-stream decoder fuzzer: short streams of every version
// band and level from the test encoder.
#include "fuzz/older_seeds.h"

#include "tests/older_encoder/older_stream.h"

std::vector<testing_support::Bytes> OlderDecoderSeeds() {
    std::vector<testing_support::Bytes> seeds;
    uint32_t seed = 1;
    for (uint16_t version : {3300, 3320, 3600, 3700, 3800, 3830, 3850, 3860, 3881, 3890})
        for (uint16_t level : {1000, 2000, 3000, 4000}) {
            older_encoder::OlderStreamShape shape;
            shape.version = version;
            shape.level = level;
            shape.frames = 1;
            shape.finalFrameBlocks = 300;
            shape.channels = seed % 3 == 0 ? 1 : 2;
            shape.crcChecks = seed % 2 == 0;
            shape.seed = seed++;
            seeds.push_back(older_encoder::BuildOlderStream(shape).file);
        }
    return seeds;
}
