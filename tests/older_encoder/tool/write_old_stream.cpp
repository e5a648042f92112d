// SPDX-License-Identifier: BSD-3-Clause
// Writes an older stream made by the test encoder, for measuring how fast the
// older path decodes (bench/bench.py). The audio is what random residuals
// reconstruct to, not music: its size says nothing, its decoding time does.
//
//   zem_write_old_stream VERSION LEVEL SECONDS OUT.zem
#include "tests/older_encoder/older_stream.h"
#include "tests/support/test_files.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "Usage: zem_write_old_stream VERSION LEVEL SECONDS OUT.zem\n");
        return 2;
    }
    older_encoder::OlderStreamShape shape;
    shape.version = static_cast<uint16_t>(std::atoi(argv[1]));
    shape.level = static_cast<uint16_t>(std::atoi(argv[2]));
    shape.crcChecks = true;
    const uint32_t blocks = static_cast<uint32_t>(std::atof(argv[3]) * 44100);
    const uint32_t perFrame = testing_support::OldFixtureBlocksPerFrame(shape.version, shape.level);
    shape.frames = static_cast<int>(blocks / perFrame + 1);
    shape.finalFrameBlocks = blocks % perFrame ? blocks % perFrame : 1;
    const auto stream = older_encoder::BuildOlderStream(shape);
    testing_support::WriteFileBytes(argv[4], stream.file);
    std::printf("%u blocks in %d frames\n", stream.totalBlocks, shape.frames);
    return 0;
}
