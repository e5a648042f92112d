// SPDX-License-Identifier: BSD-3-Clause
// The ring of decoded blocks: free and used bytes through writes, reads, the
// wrap before the margin and removal from the tail across it.
#include "decode/current/block_ring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace zem;

namespace {

TEST(BlockRing, CountsAndBytesThroughWrapAndRemoval) {
    CBlockRing ring;
    ASSERT_TRUE(ring.Create(10, 4));  // 15 bytes; wraps once the tail reaches 11
    uint8_t next = 1;
    auto write = [&](int blocks) {
        for (int i = 0; i < blocks; ++i, next += 2) {
            uint8_t* tail = ring.TailPointer();
            tail[0] = next;
            tail[1] = static_cast<uint8_t>(next + 1);
            ring.CommitBlock(2);
        }
    };
    struct Step {
        char op;  // 'w' write blocks, 'r' read bytes, 't' remove bytes from the tail
        int n;
        int used;
        int free;
        std::vector<uint8_t> read;  // the bytes a read gives
    } steps[] = {
        {'w', 0, 0, 10, {}},
        {'w', 5, 10, 0, {}},
        {'r', 4, 6, 4, {1, 2, 3, 4}},
        {'w', 2, 10, 1, {}},           // the tail passed 11: real end 12, tail back at 2
        {'r', 9, 1, 9, {5, 6, 7, 8, 9, 10, 11, 12, 13}},
        {'t', 5, 0, 10, {}},           // limited to the one byte there is
        {'w', 3, 6, 4, {}},
        {'t', 2, 4, 6, {}},
        {'r', 100, 0, 10, {15, 16, 17, 18}},
    };
    for (const Step& step : steps) {
        if (step.op == 'w') {
            write(step.n);
        } else if (step.op == 'r') {
            std::vector<uint8_t> got(step.read.size(), 0xEE);
            ring.Read(got.data(), step.n);
            EXPECT_EQ(step.read, got);
        } else {
            ring.RemoveFromTail(step.n);
        }
        EXPECT_EQ(step.used, ring.UsedBytes()) << step.op << step.n;
        EXPECT_EQ(step.free, ring.FreeBytes()) << step.op << step.n;
    }
    ring.Empty();
    EXPECT_EQ(0, ring.UsedBytes());
}

TEST(BlockRing, RefusesSizesItCannotHold) {
    CBlockRing ring;
    EXPECT_FALSE(ring.Create(-1, 4));
    EXPECT_FALSE(ring.Create(INT32_MAX, 4));
}

}  // namespace
