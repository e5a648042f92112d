// SPDX-License-Identifier: BSD-3-Clause
// The handler's rules without COM: times, the average bitrate, the numbers of
// tag texts, and a stream described through callbacks as through its file.
#include "shellprops/track_properties.h"

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace shellprops;
using namespace testing_support;

namespace {

TEST(TrackProperties, DurationIsTheStartOfTheBlockAfterTheLast) {
    struct Case {
        uint64_t blocks;
        uint32_t rate;
        uint64_t units;
    } cases[] = {
        {0, 44100, 0},
        {1, 44100, 226},                        // 226.75... rounds down
        {44100, 44100, 10000000},
        {529200, 44100, 120000000},
        {3, 7, 4285714},
        {UINT64_MAX / 2, 1, UINT64_MAX},         // past 64 bits: the largest time
        {5, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.units, DurationOf(c.blocks, c.rate)) << c.blocks << " at " << c.rate;
}

TEST(TrackProperties, AverageBitrateRoundsToTheNearest) {
    EXPECT_EQ(1411200u, AverageBitrate(176400, 44100, 44100));
    EXPECT_EQ(3u, AverageBitrate(1, 8, 3));    // 2.67
    EXPECT_EQ(2u, AverageBitrate(1, 9, 2));    // 1.78
    EXPECT_EQ(0u, AverageBitrate(-1, 10, 44100));
    EXPECT_EQ(0u, AverageBitrate(100, 0, 44100));
    EXPECT_EQ(0u, AverageBitrate(int64_t(1) << 40, 1, 4000000000u));  // beyond 32 bits
}

TEST(TrackProperties, LeadingNumbers) {
    struct Case {
        const char* text;
        uint32_t number;
    } cases[] = {{"7", 7}, {"07/12", 7}, {" 3", 3}, {"2024-03-01", 2024}, {"", 0}, {"x1", 0},
                 {"10000", 0}, {"9999", 9999}, {"99999999999999999999999", 0}, {nullptr, 0}};
    for (const Case& c : cases) EXPECT_EQ(c.number, LeadingNumber(c.text, 9999)) << (c.text ? c.text : "null");
}

struct Memory {
    Bytes bytes;
    size_t at = 0;
};

long MemoryRead(void* user, void* buffer, long size) {
    auto* m = static_cast<Memory*>(user);
    const size_t n = std::min(size_t(size), m->bytes.size() - m->at);
    if (n) std::memcpy(buffer, m->bytes.data() + m->at, n);
    m->at += n;
    return long(n);
}
int MemorySeek(void* user, int64_t offset) {
    auto* m = static_cast<Memory*>(user);
    if (offset < 0 || uint64_t(offset) > m->bytes.size()) return -1;
    m->at = size_t(offset);
    return 0;
}
int64_t MemorySize(void* user) { return int64_t(static_cast<Memory*>(user)->bytes.size()); }
const zem_io kMemoryIo = {&MemoryRead, &MemorySeek, &MemorySize};

TEST(TrackProperties, AStreamThroughCallbacksAsThroughItsFile) {
    const std::string path = std::string(ZEM_SOURCE_DIR) + "/samples/sample.zem";
    Memory memory{ReadFileBytes(path)};
    TrackProperties fromIo, fromFile;
    ASSERT_EQ(ZEM_OK, ReadStreamProperties(&kMemoryIo, &memory, int64_t(memory.bytes.size()), fromIo));
    ASSERT_EQ(ZEM_OK, ReadFileProperties(path.c_str(), fromFile));
    EXPECT_EQ(fromFile.duration, fromIo.duration);
    EXPECT_EQ(fromFile.title, fromIo.title);
    EXPECT_EQ(fromFile.artist, fromIo.artist);
    EXPECT_NE(0u, fromIo.sampleRate);
    EXPECT_NE(0u, fromIo.bitrate);
    EXPECT_EQ(0u, fromFile.bitrate);  // by path (a link's way) no size is known

    for (size_t cut : {size_t(0), size_t(40)}) {
        Memory part{Bytes(memory.bytes.begin(), memory.bytes.begin() + cut)};
        TrackProperties none;
        EXPECT_NE(ZEM_OK, ReadStreamProperties(&kMemoryIo, &part, int64_t(cut), none)) << cut;
        EXPECT_EQ(0u, none.sampleRate);
    }
}

}  // namespace
