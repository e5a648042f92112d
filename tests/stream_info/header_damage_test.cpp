// SPDX-License-Identifier: BSD-3-Clause
// Headers that cannot describe the file they are in are refused, and the
// reader says why; the nearest headers that can are still taken.
#include "container/codec_error.h"
#include "container/header_reader.h"
#include "tests/stream_info/open_stream.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace zem;

using namespace testing_support;

namespace {

struct Damage {
    const char* name;
    std::function<void(ZemFixture&)> apply;
    const char* problem;  // empty: the header is taken
};

// Three fake frames of 300, 200 and 100 bytes at 132, 432 and 632 in a file
// of 732 bytes; 73,728 blocks per frame.
const Damage kDamages[] = {
    {"level 0", [](ZemFixture& f) { f.compressionLevel = 0; }, "its compression level is unknown"},
    {"level 1500", [](ZemFixture& f) { f.compressionLevel = 1500; }, "its compression level is unknown"},
    {"level 6000", [](ZemFixture& f) { f.compressionLevel = 6000; }, "its compression level is unknown"},
    {"no channels", [](ZemFixture& f) { f.channels = 0; }, "its channels or bits per sample are impossible"},
    {"65282 channels", [](ZemFixture& f) { f.channels = 65282; }, "its channels or bits per sample are impossible"},
    {"32767 channels", [](ZemFixture& f) { f.channels = 32767; f.blocksPerFrame = f.finalFrameBlocks = 1000; },
     ""},  // block align 65534
    {"12 bits", [](ZemFixture& f) { f.bitsPerSample = 12; }, "its channels or bits per sample are impossible"},
    {"0 bits", [](ZemFixture& f) { f.bitsPerSample = 0; }, "its channels or bits per sample are impossible"},
    {"40 bits", [](ZemFixture& f) { f.bitsPerSample = 40; }, "its channels or bits per sample are impossible"},
    {"32 bits", [](ZemFixture& f) { f.bitsPerSample = 32; }, ""},
    {"rate 0", [](ZemFixture& f) { f.sampleRate = 0; }, "its sample rate is impossible"},
    {"negative rate", [](ZemFixture& f) { f.sampleRate = 0x9AE1F38B; }, "its sample rate is impossible"},
    {"rate past 4 GiB/s", [](ZemFixture& f) { f.sampleRate = 0x40000000; }, "its sample rate is impossible"},
    {"no blocks per frame", [](ZemFixture& f) { f.blocksPerFrame = 0; }, "its blocks per frame are out of range"},
    {"frames of 64 MiB", [](ZemFixture& f) { f.blocksPerFrame = f.finalFrameBlocks = 1u << 24; }, ""},
    {"frames past 64 MiB", [](ZemFixture& f) { f.blocksPerFrame = (1u << 24) + 1; },
     "its blocks per frame are out of range"},
    {"final frame empty", [](ZemFixture& f) { f.finalFrameBlocks = 0; }, "its final frame blocks are out of range"},
    {"final frame longer", [](ZemFixture& f) { f.finalFrameBlocks = 73729; }, "its final frame blocks are out of range"},
    {"final frame whole", [](ZemFixture& f) { f.finalFrameBlocks = 73728; }, ""},
    {"2^31-1 frames", [](ZemFixture& f) { f.totalFrames = 0x7FFFFFFF; f.blocksPerFrame = f.finalFrameBlocks = 1; },
     "it claims more audio than a wave file holds"},
    {"more frames than entries", [](ZemFixture& f) { f.totalFrames = 4; },
     "its seek table has fewer entries than it has frames"},
    {"no frames but a seek table", [](ZemFixture& f) { f.totalFrames = 0; }, "it has a seek table but no frames"},
    {"no frames", [](ZemFixture& f) { f.frames.clear(); }, ""},
    {"first frame in the header", [](ZemFixture& f) { f.seekTable = std::vector<uint32_t>{131, 432, 632}; },
     "its seek table puts the first frame inside the header"},
    {"frames out of order", [](ZemFixture& f) { f.seekTable = std::vector<uint32_t>{132, 632, 432}; },
     "its seek table is out of order"},
    {"two frames in one place", [](ZemFixture& f) { f.seekTable = std::vector<uint32_t>{132, 432, 432}; },
     "its seek table is out of order"},
    // A file cut short before its last frame opens; decoding says where it ends.
    {"last frame past the end", [](ZemFixture& f) { f.seekTable = std::vector<uint32_t>{132, 432, 732}; }, ""},
    {"last frame of one byte", [](ZemFixture& f) { f.seekTable = std::vector<uint32_t>{132, 432, 731}; }, ""},
    {"trailer of all but a byte of the last frame", [](ZemFixture& f) { f.terminatingBytesField = 99; }, ""},
    {"trailer of the whole last frame", [](ZemFixture& f) { f.terminatingBytesField = 100; },
     "its trailer is longer than the file holds behind the frames"},
    {"trailer 0x7FFFFFF0", [](ZemFixture& f) { f.terminatingBytesField = 0x7FFFFFF0; },
     "its trailer is longer than the file holds behind the frames"},
    {"negative trailer", [](ZemFixture& f) { f.terminatingBytesField = 0xFFFFFF00; }, "its trailer length is impossible"},
    {"seek table of 13 bytes", [](ZemFixture& f) { f.seekTableBytesField = 13; }, "its header is damaged or cut short"},
    {"old: short seek table", [](ZemFixture& f) { f = OldZemFixture(3920); f.formatFlags = 0x10; f.seekCountField = 1; },
     ""},  // older streams are read in sequence
    {"old 3930: short seek table",
     [](ZemFixture& f) { f = OldZemFixture(3930); f.formatFlags = 0x10; f.seekCountField = 2; },
     "its seek table has fewer entries than it has frames"},
    {"old: no seek table", [](ZemFixture& f) { f = OldZemFixture(3920); f.formatFlags = 0x10; f.seekCountField = 0; },
     "its seek table has fewer entries than it has frames"},
    {"old: frames behind a short table do not fit",
     [](ZemFixture& f) { f = OldZemFixture(3920); f.formatFlags = 0x10; f.seekCountField = 1; f.totalFrames = 1000; },
     "its frames do not fit in the file"},
    {"old 3800: bit-packed frames share a byte",
     [](ZemFixture& f) {
         f = OldZemFixture(3800);
         f.frames = ZemFixture::FakeFrames({0, 1});
     },
     ""},
    {"old 3810: frames share a byte",
     [](ZemFixture& f) {
         f = OldZemFixture(3810);
         f.frames = ZemFixture::FakeFrames({0, 1});
     },
     "its seek table is out of order"},
};

}  // namespace

TEST(HeaderDamage, RefusedWithTheReasonOrTaken) {
    for (const Damage& damage : kDamages) {
        ZemFixture fixture = CurrentZemFixture();
        damage.apply(fixture);
        const Bytes bytes = BuildZemBytes(fixture);
        CMemoryStream io(bytes, true);
        StreamInfoRecord record;
        CHeaderReader reader(&io);
        const bool refused = *damage.problem != '\0';
        EXPECT_EQ(refused ? -1 : 0, reader.Read(&record)) << damage.name;
        EXPECT_EQ(std::string(damage.problem), reader.Problem()) << damage.name;
        auto stream = stream_info_tests::OpenBytes(bytes);
        EXPECT_EQ(refused ? CODEC_BAD_INPUT : CODEC_OK, stream->error) << damage.name;
        EXPECT_EQ(refused ? 0 : 1, stream->info->IsValid()) << damage.name;
    }
}
