// SPDX-License-Identifier: BSD-3-Clause
// Decoding a range on several threads: the ordered hand-off between workers
// and writer, and DecodeRange's outcome on damaged frames, read errors and
// write errors, which must match one thread's exactly.
#include "container/info_id.h"
#include "container/stream_info.h"
#include "io/memory_stream.h"
#include "tests/older_encoder/older_stream.h"
#include "tests/support/wave_fixture.h"
#include "tools/zemtool/frame_segments.h"
#include "tools/zemtool/library_errors.h"
#include "tools/zemtool/ordered_hand_off.h"
#include "tools/zemtool/parallel_decode.h"
#include "tools/zemtool/tool_errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

using namespace zem;

namespace tool_tests {
namespace {

using namespace testing_support;
using zemtool::CODEC_READ_FAILED;
using zemtool::CODEC_WRITE_FAILED;
using zemtool::OrderedHandOff;

// Workers that take uneven time still hand their items over in order, and no
// more items are under way than there are slots; stopping early lets every
// worker return.
TEST(OrderedHandOff, ItemsComeBackInOrderWithinTheSlots) {
    struct Case {
        size_t items, slots, workers, stopAfter;
    } cases[] = {{200, 3, 4, 200}, {200, 8, 2, 200}, {50, 1, 3, 50}, {500, 4, 4, 17}, {10, 4, 2, 0}, {0, 2, 2, 0}};
    for (const Case& c : cases) {
        OrderedHandOff handOff(c.items, c.slots);
        std::vector<size_t> slots(c.slots, size_t(-1));
        std::atomic<size_t> underWay{0}, mostUnderWay{0};
        auto work = [&] {
            size_t item = 0;
            while (handOff.Claim(&item)) {
                size_t now = ++underWay;
                for (size_t most = mostUnderWay; now > most && !mostUnderWay.compare_exchange_weak(most, now);) {
                }
                std::this_thread::sleep_for(std::chrono::microseconds((item * 7919) % 200));
                slots[handOff.SlotOf(item)] = item;
                handOff.Finish(item);
            }
        };
        std::vector<std::thread> threads;
        for (size_t w = 0; w < c.workers; ++w)
            threads.emplace_back(work);
        for (size_t item = 0; item < c.stopAfter; ++item) {
            handOff.WaitFinished(item);
            EXPECT_EQ(item, slots[handOff.SlotOf(item)]) << c.items << "/" << c.slots;
            --underWay;
            handOff.Release(item);
        }
        handOff.Stop();
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_LE(mostUnderWay.load(), c.slots) << c.items << "/" << c.slots;
    }
}

// A consumer that hands each slot to a reader behind it (the MD5 tap) waits
// for items while earlier ones are still held: it must get each item's own
// result, never the one still held in the same slot.
TEST(OrderedHandOff, ReleasesBehindTheConsumerNeverGiveAnEarlierItem) {
    const size_t items = 300, slots = 3;
    OrderedHandOff handOff(items, slots);
    std::vector<size_t> held(slots, size_t(-1));
    std::thread worker([&] {
        size_t item = 0;
        while (handOff.Claim(&item)) {
            held[handOff.SlotOf(item)] = item;
            handOff.Finish(item);
        }
    });
    std::mutex mutex;
    std::condition_variable passed;
    std::deque<size_t> toRelease;
    bool done = false;
    std::thread releaser([&] {
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex);
            passed.wait(lock, [&] { return done || !toRelease.empty(); });
            if (toRelease.empty())
                return;
            const size_t item = toRelease.front();
            toRelease.pop_front();
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::microseconds(item % 7 * 50));
            handOff.Release(item);
        }
    });
    for (size_t item = 0; item < items; ++item) {
        handOff.WaitFinished(item);
        ASSERT_EQ(item, held[handOff.SlotOf(item)]);
        {
            std::lock_guard<std::mutex> lock(mutex);
            toRelease.push_back(item);
        }
        passed.notify_one();
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
    }
    passed.notify_one();
    releaser.join();
    worker.join();
}

// A range splits into the part of every frame it touches, in order and
// without gaps, and even billions of one-block frames take no memory.
TEST(ParallelDecode, SegmentsCoverTheRangeFrameByFrame) {
    struct Case {
        int64_t start, length, blocksPerFrame;
        std::vector<std::vector<int64_t>> segments;  // frame, first, blocks
    };
    const Case cases[] = {
        {0, 10, 4, {{0, 0, 4}, {1, 4, 4}, {2, 8, 2}}},
        {5, 10, 4, {{1, 0, 3}, {2, 3, 4}, {3, 7, 3}}},
        {8, 4, 4, {{2, 0, 4}}},
        {3, 1, 4, {{0, 0, 1}}},
        {7, 0, 4, {}},
        {0, 3, 1, {{0, 0, 1}, {1, 1, 1}, {2, 2, 1}}},
    };
    for (const Case& c : cases) {
        const zemtool::SegmentPlan plan(c.start, c.length, c.blocksPerFrame);
        ASSERT_EQ(c.segments.size(), plan.Count()) << c.start << "+" << c.length;
        for (size_t i = 0; i < plan.Count(); ++i) {
            const zemtool::Segment s = plan.At(i);
            EXPECT_EQ(c.segments[i], (std::vector<int64_t>{s.frame, s.first, s.blocks})) << c.start << " #" << i;
        }
        EXPECT_EQ(size_t(std::min(c.length, c.blocksPerFrame)) * 4, plan.LargestBytes(4));
    }
    const zemtool::SegmentPlan tiny(0, int64_t(1) << 31, 1);
    EXPECT_EQ(size_t(1) << 31, tiny.Count());
    const zemtool::Segment last = tiny.At(tiny.Count() - 1);
    EXPECT_EQ((int64_t(1) << 31) - 1, last.first);
    EXPECT_EQ(1, last.blocks);
}

// Workers never outnumber the threads asked for or the segments, every worker
// can run ahead by a slot, and the decoders with their slots stay within the
// budget however many threads are asked for.
TEST(ParallelDecode, PoolStaysWithinItsBudget) {
    const size_t kLargestFrame = 294912 * 6;
    EXPECT_EQ(4u, zemtool::SizePool(2, 100, kLargestFrame).slots);
    // Decoders with large seek tables of their own: fewer workers, or one.
    EXPECT_EQ(1u, zemtool::SizePool(2, 1000, 4096, size_t(54) << 20).workers);
    EXPECT_EQ(4u, zemtool::SizePool(8, 1000, 4096, size_t(6) << 20).workers);
    EXPECT_EQ(8u, zemtool::SizePool(8, 1000, 4096, size_t(64) << 10).workers);
    for (int threads : {1, 2, 3, 8, 64, 256}) {
        for (size_t segments : {0, 1, 2, 5, 1000}) {
            for (size_t largest : {size_t(0), size_t(4), size_t(4096), kLargestFrame, size_t(64) << 20}) {
                const zemtool::PoolSize pool = zemtool::SizePool(threads, segments, largest);
                SCOPED_TRACE(std::to_string(threads) + " threads, " + std::to_string(segments) + " segments of " +
                             std::to_string(largest) + " bytes");
                EXPECT_GE(pool.workers, 1u);
                EXPECT_LE(pool.workers, size_t(threads));
                EXPECT_LE(pool.workers, std::max<size_t>(segments, 1));
                if (pool.workers > 1) {
                    EXPECT_GT(pool.slots, pool.workers);
                    EXPECT_LE(pool.slots, 2 * pool.workers);
                    EXPECT_LE((pool.workers + pool.slots) * largest, zemtool::kPoolBudget);
                }
                if (threads <= 2 && largest <= kLargestFrame && segments >= 2) {
                    EXPECT_EQ(size_t(threads), pool.workers);
                }
            }
        }
    }
}

// Stream bytes that, once armed (after the decoder has opened them), cannot
// be read from the word holding `unreadable` after a seek there: a frame
// starting there cannot be read, while the frames before it, read straight
// on, are not disturbed.
struct HoleSource {
    std::shared_ptr<const Bytes> bytes;
    int64_t unreadable = 0;
    int64_t position = 0;
    bool armed = false;
    bool atHole = false;

    static HoleSource& Of(void* user) { return *static_cast<HoleSource*>(user); }
    static long Read(void* user, void* buffer, long count) {
        HoleSource& s = Of(user);
        if (s.atHole)
            return -1;
        const int64_t n = std::min<int64_t>(count, int64_t(s.bytes->size()) - s.position);
        std::memcpy(buffer, s.bytes->data() + s.position, size_t(n));
        s.position += n;
        return static_cast<long>(n);
    }
    static int Seek(void* user, int64_t offset) {
        HoleSource& s = Of(user);
        s.atHole = s.armed && offset <= s.unreadable && s.unreadable - offset < 4;
        s.position = offset;
        return 0;
    }
    static int64_t Size(void* user) { return int64_t(Of(user).bytes->size()); }
};

struct RunResults {
    zemtool::DecodeOutcome outcome;
    Bytes written;
    Bytes tapped;
    int sinkCallsAfterFailure = 0;
};

RunResults DecodeOnThreads(const Bytes& stream, int threads, int64_t unreadable, int failingWrite) {
    auto shared = std::make_shared<const Bytes>(stream);
    RunResults run;
    int writes = 0;
    zemtool::DecodeJob job;
    job.threads = threads;
    job.open = [shared, unreadable](int* error) {
        static const zem_io kHoleIo = {HoleSource::Read, HoleSource::Seek, HoleSource::Size};
        auto source = std::make_shared<HoleSource>();
        source->bytes = shared;
        source->unreadable = unreadable;
        zemtool::OpenedDecoder opened;
        int zemError = ZEM_OK;
        opened.decoder.reset(zem_open_io(&kHoleIo, source.get(), &zemError));
        *error = zemtool::OpenErrorOf(zemError);
        source->armed = true;
        opened.source = source;
        return opened;
    };
    job.sink = [&](const uint8_t* bytes, size_t count) {
        if (++writes > failingWrite)
            ++run.sinkCallsAfterFailure;
        if (writes >= failingWrite)
            return false;
        run.written.insert(run.written.end(), bytes, bytes + count);
        return true;
    };
    job.tap = [&](const uint8_t* bytes, size_t count) { run.tapped.insert(run.tapped.end(), bytes, bytes + count); };
    run.outcome = zemtool::DecodeRange(job);
    return run;
}

// Damaged frames are listed in order, a read error or a write error stops the
// job at the same frame with the same report, and the bytes written before
// are the same, whatever the number of threads. The tap sees what was
// written, all of it when the job ends well; a failure that stops the writer
// does not leave it or the workers waiting.
TEST(ParallelDecode, OutcomeIsThatOfOneThread) {
    const int kFrameBlocks = 256;
    WaveShape shape;
    shape.blocks = 20 * kFrameBlocks + 100;
    const Bytes wave = BuildWave(shape);
    const Bytes pcm(wave.begin() + 44, wave.end());
    const Bytes clean = EncodeWaveBytes(wave, 2000, kFrameBlocks);
    CMemoryStream io(clean, true);
    CStreamInfo info(&io, nullptr);
    auto frameAt = [&](int frame) { return info.GetInfo(SeekByte, frame); };
    Bytes damaged = clean;
    for (int frame : {3, 11, 12})
        damaged[size_t(frameAt(frame)) + 20] ^= 0x5A;
    const int64_t kWhole = int64_t(1) << 40;
    const int kNever = 1 << 30;
    struct Case {
        const char* name;
        const Bytes& stream;
        int64_t unreadable;  // file offset no read may touch
        int failingWrite;
        int error;
        std::string reason;
        std::vector<int32_t> badFrames;
        int64_t blocks;
    } cases[] = {
        {"clean", clean, kWhole, kNever, 0, "", {}, shape.blocks},
        {"damaged", damaged, kWhole, kNever, 0, "", {3, 11, 12}, shape.blocks},
        {"write fails", damaged, kWhole, 13, CODEC_WRITE_FAILED, "the output cannot be written", {3, 11, 12},
         12 * kFrameBlocks},
        {"read fails", damaged, frameAt(14), kNever, CODEC_READ_FAILED, "frame 14 cannot be read", {3, 11, 12},
         14 * kFrameBlocks},
    };
    for (const Case& c : cases) {
        for (int threads : {1, 2, 3, 8}) {
            const RunResults run = DecodeOnThreads(c.stream, threads, c.unreadable, c.failingWrite);
            SCOPED_TRACE(std::string(c.name) + " on " + std::to_string(threads) + " threads");
            EXPECT_EQ(c.error, run.outcome.error);
            EXPECT_EQ(c.reason, run.outcome.reason);
            EXPECT_EQ(c.badFrames, run.outcome.badFrames);
            EXPECT_EQ(c.blocks, run.outcome.blocks);
            EXPECT_EQ(0, run.sinkCallsAfterFailure);
            ASSERT_EQ(size_t(c.blocks) * 4, run.written.size());
            ASSERT_LE(run.tapped.size(), run.written.size());
            EXPECT_TRUE(std::equal(run.tapped.begin(), run.tapped.end(), run.written.begin()));
            if (!c.error) {
                EXPECT_EQ(run.written.size(), run.tapped.size());
            }
            if (c.badFrames.empty()) {
                EXPECT_TRUE(std::equal(run.written.begin(), run.written.end(), pcm.begin()));
            }
        }
    }
}

// An older stream whose seek table is damaged decodes to the same bytes and
// the same report on any number of threads: its decoder goes on from the
// frame it decoded last, and takes the table only after a jump.
TEST(ParallelDecode, AnOlderStreamWithADamagedSeekTableDecodesAlikeOnAnyThreads) {
    older_encoder::OlderStreamShape shape;
    shape.frames = 5;
    const older_encoder::OlderStream older = older_encoder::BuildOlderStream(shape);
    Bytes damaged = older.file;
    // The table's entry for frame 3: the frame's offset, somewhere in front of frame 0.
    const uint32_t entry = older.frameStarts[3];
    const uint8_t le[4] = {uint8_t(entry), uint8_t(entry >> 8), uint8_t(entry >> 16), uint8_t(entry >> 24)};
    const auto at = std::search(damaged.begin(), damaged.begin() + older.frameStarts[0], le, le + 4);
    ASSERT_NE(at, damaged.begin() + older.frameStarts[0]);
    *at ^= 0x40;
    const int64_t kWhole = int64_t(1) << 40;
    const RunResults one = DecodeOnThreads(damaged, 1, kWhole, 1 << 30);
    for (int threads : {2, 3, 5}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        const RunResults run = DecodeOnThreads(damaged, threads, kWhole, 1 << 30);
        EXPECT_EQ(one.outcome.badFrames, run.outcome.badFrames);
        EXPECT_EQ(one.outcome.error, run.outcome.error);
        EXPECT_TRUE(one.written == run.written);
    }
}

}  // namespace
}  // namespace tool_tests
