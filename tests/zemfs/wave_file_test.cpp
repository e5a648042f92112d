// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/frame_cache.h"
#include "tools/zemfs/wave_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <vector>

namespace zemfs {
namespace {

// A file of 4-byte blocks: a 44-byte header, 10 blocks in frames of 4 (the
// last frame 2), a 3-byte trailer. Byte i of the file is i % 251.
constexpr uint32_t kAlign = 4;
constexpr uint64_t kBlocks = 10;
constexpr uint64_t kFrameBlocks = 4;

uint8_t ByteAt(uint64_t offset) { return static_cast<uint8_t>(offset % 251); }

WaveLayout TestLayout() {
    WaveLayout layout;
    auto header = std::make_shared<std::vector<uint8_t>>(44);
    auto trailer = std::make_shared<std::vector<uint8_t>>(3);
    layout.blocks = kBlocks;
    layout.blockAlign = kAlign;
    for (size_t i = 0; i < 44; ++i)
        (*header)[i] = ByteAt(i);
    for (size_t i = 0; i < 3; ++i)
        (*trailer)[i] = ByteAt(44 + kBlocks * kAlign + i);
    layout.header = WavePart::Held(header);
    layout.trailer = WavePart::Held(trailer);
    return layout;
}

struct FakeFrames {
    std::vector<uint64_t> fetched;  // first block of each frame handed out
    uint64_t failingFrame = ~uint64_t(0);

    int Fetch(uint64_t block, DecodedFrame* frame) {
        frame->first = block / kFrameBlocks * kFrameBlocks;
        frame->end = std::min(frame->first + kFrameBlocks, kBlocks);
        fetched.push_back(frame->first);
        if (frame->first == failingFrame)
            return -EIO;
        auto bytes = std::make_shared<std::vector<uint8_t>>((frame->end - frame->first) * kAlign);
        for (size_t i = 0; i < bytes->size(); ++i)
            (*bytes)[i] = ByteAt(44 + frame->first * kAlign + i);
        frame->bytes = bytes;
        return 0;
    }
};

struct ReadCase {
    uint64_t offset;
    size_t length;
    long expected;                 // bytes read, or -errno
    std::vector<uint64_t> frames;  // frames decoded, in order
};

TEST(WaveFileTest, ReadsAnyRangeFromTheFramesThatHoldIt) {
    const WaveLayout layout = TestLayout();
    ASSERT_EQ(layout.Size(), 44u + 40u + 3u);
    const ReadCase cases[] = {
        {0, 44, 44, {}},                 // the header alone decodes nothing
        {0, 45, 45, {0}},                // one byte into the audio
        {43, 2, 2, {0}},                 // across the header's end
        {44 + 15, 2, 2, {0, 4}},         // across a frame boundary (blocks 3 and 4)
        {44 + 16, 16, 16, {4}},          // exactly one frame
        {44 + 37, 10, 6, {8}},           // into the trailer, cut at the end of the file
        {44 + 40, 3, 3, {}},             // the trailer alone
        {0, 1000, 87, {0, 4, 8}},        // the whole file
        {87, 5, 0, {}},                  // at the end
        {500, 5, 0, {}},                 // beyond it
    };
    for (const ReadCase& c : cases) {
        FakeFrames frames;
        std::vector<uint8_t> out(c.length, 0xEE);
        const long got = ReadWave(layout, c.offset, c.length, out.data(),
                                  [&](uint64_t block, DecodedFrame* f) { return frames.Fetch(block, f); });
        EXPECT_EQ(got, c.expected) << "offset " << c.offset;
        EXPECT_EQ(frames.fetched, c.frames) << "offset " << c.offset;
        for (long i = 0; i < got; ++i)
            ASSERT_EQ(out[size_t(i)], ByteAt(c.offset + uint64_t(i))) << "offset " << c.offset << " byte " << i;
    }
}

TEST(WaveFileTest, AFailedFrameFailsOnlyTheReadsThatTouchIt) {
    const WaveLayout layout = TestLayout();
    std::vector<uint8_t> out(100);
    FakeFrames frames;
    frames.failingFrame = 4;
    auto fetch = [&](uint64_t block, DecodedFrame* f) { return frames.Fetch(block, f); };
    EXPECT_EQ(ReadWave(layout, 44 + 15, 2, out.data(), fetch), -EIO);
    EXPECT_EQ(ReadWave(layout, 44, 16, out.data(), fetch), 16);
    EXPECT_EQ(ReadWave(layout, 44 + 32, 11, out.data(), fetch), 11);
}

TEST(WaveFileTest, ATrailerKeptInItsStreamIsReadFromThere) {
    // The stream file: 7 other bytes, then the trailer's 3 bytes, then 2 more.
    const std::string path = testing::TempDir() + "wave_file_trailer.bin";
    {
        std::ofstream file(path, std::ios::binary);
        file << "xxxxxxx";
        for (size_t i = 0; i < 3; ++i)
            file.put(static_cast<char>(ByteAt(44 + kBlocks * kAlign + i)));
        file << "yy";
    }
    WaveLayout layout = TestLayout();
    layout.trailer = {nullptr, path, 7, 3};
    std::vector<uint8_t> out(10);
    FakeFrames frames;
    auto fetch = [&](uint64_t block, DecodedFrame* f) { return frames.Fetch(block, f); };
    ASSERT_EQ(ReadWave(layout, 44 + 38, 5, out.data(), fetch), 5);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(out[i], ByteAt(44 + 38 + i)) << i;
    layout.trailer.offset = 10;  // reaches beyond the file's end
    EXPECT_EQ(ReadWave(layout, 44 + 40, 3, out.data(), fetch), -EIO);
    EXPECT_EQ(ReadWave(layout, 0, 10, out.data(), fetch), 10);  // reads that miss it go on
    std::remove(path.c_str());
}

DecodedFrame FrameOf(uint64_t first, uint64_t end, size_t bytes) {
    return {first, end, std::make_shared<std::vector<uint8_t>>(bytes)};
}

TEST(FrameCacheTest, FindsTheFrameHoldingABlockOfItsOwnFile) {
    FrameCache cache(1000);
    cache.Insert("a", FrameOf(0, 10, 40));
    cache.Insert("a", FrameOf(10, 20, 40));
    cache.Insert("b", FrameOf(20, 30, 40));
    struct {
        const char* file;
        uint64_t block;
        bool found;
        uint64_t first;
    } cases[] = {{"a", 0, true, 0}, {"a", 9, true, 0}, {"a", 10, true, 10}, {"a", 19, true, 10},
                 {"a", 20, false, 0}, {"b", 19, false, 0}, {"b", 25, true, 20}, {"c", 5, false, 0}};
    for (const auto& c : cases) {
        DecodedFrame frame;
        EXPECT_EQ(cache.Find(c.file, c.block, &frame), c.found) << c.file << " " << c.block;
        if (c.found) {
            EXPECT_EQ(frame.first, c.first) << c.file << " " << c.block;
        }
    }
}

TEST(FrameCacheTest, StaysWithinItsBoundDroppingTheLeastRecentlyUsed) {
    FrameCache cache(100);
    cache.Insert("f", FrameOf(0, 1, 40));
    cache.Insert("f", FrameOf(1, 2, 40));
    DecodedFrame frame;
    ASSERT_TRUE(cache.Find("f", 0, &frame));  // frame 0 is now the newest
    cache.Insert("f", FrameOf(2, 3, 40));     // 120 bytes: frame 1 goes
    EXPECT_EQ(cache.Bytes(), 80u);
    EXPECT_TRUE(cache.Find("f", 0, &frame));
    EXPECT_FALSE(cache.Find("f", 1, &frame));
    EXPECT_TRUE(cache.Find("f", 2, &frame));
    cache.Insert("f", FrameOf(3, 4, 101));    // larger than the whole cache: not kept
    EXPECT_FALSE(cache.Find("f", 3, &frame));
    for (uint64_t i = 10; i < 1000; ++i)
        cache.Insert("g", FrameOf(i, i + 1, 7));
    EXPECT_LE(cache.Bytes(), 100u);
}

}  // namespace
}  // namespace zemfs
