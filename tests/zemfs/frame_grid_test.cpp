// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/wave_file.h"

#include <gtest/gtest.h>

namespace zemfs {
namespace {

struct GridCase {
    const char* what;
    FrameGrid grid;
    uint64_t blocks;
    uint64_t block;
    FrameSpan span;
};

class FrameGridTest : public testing::TestWithParam<GridCase> {};

TEST_P(FrameGridTest, FindsTheFrameOfABlock) {
    const GridCase& c = GetParam();
    const FrameSpan span = FrameOf(c.grid, c.blocks, c.block);
    EXPECT_EQ(span.first, c.span.first) << c.what;
    EXPECT_EQ(span.end, c.span.end) << c.what;
}

// A stream of 100 blocks in frames of 30 (30, 30, 30, 10); a track from
// block 45 of it to 95 (frames 15, 30, 5); one frame; two frames.
const FrameGrid kStream{30, 30, 90};
const FrameGrid kTrack{15, 30, 45};
const FrameGrid kOne{7, 0, 0};
const FrameGrid kTwo{30, 0, 30};

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameGridTest,
    testing::Values(GridCase{"stream, block 0", kStream, 100, 0, {0, 30}},
                    GridCase{"stream, first frame's last block", kStream, 100, 29, {0, 30}},
                    GridCase{"stream, second frame's first block", kStream, 100, 30, {30, 60}},
                    GridCase{"stream, a middle block", kStream, 100, 71, {60, 90}},
                    GridCase{"stream, the last frame", kStream, 100, 90, {90, 100}},
                    GridCase{"stream, the last block", kStream, 100, 99, {90, 100}},
                    GridCase{"track, inside the image's frame", kTrack, 50, 14, {0, 15}},
                    GridCase{"track, a whole frame", kTrack, 50, 15, {15, 45}},
                    GridCase{"track, the last frame", kTrack, 50, 49, {45, 50}},
                    GridCase{"one frame", kOne, 7, 6, {0, 7}},
                    GridCase{"two frames, the first", kTwo, 40, 29, {0, 30}},
                    GridCase{"two frames, the second", kTwo, 40, 30, {30, 40}}));

}  // namespace
}  // namespace zemfs
