// SPDX-License-Identifier: BSD-3-Clause
// zem_encode_wav(): a WAV file from a caller's source into a caller's sink,
// byte for byte the stream the codec's encoder writes, and what it refuses.
#include <zem/zem.h>

#include "tests/support/wave_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

using namespace testing_support;

namespace {

struct MemoryWave {
    Bytes bytes;
    size_t at = 0;
};

long ReadMemoryWave(void* user, void* buffer, long count) {
    auto& in = *static_cast<MemoryWave*>(user);
    const size_t got = std::min(static_cast<size_t>(count), in.bytes.size() - in.at);
    std::memcpy(buffer, in.bytes.data() + in.at, got);
    in.at += got;
    return static_cast<long>(got);
}

int SeekMemoryWave(void* user, int64_t offset) {
    auto& in = *static_cast<MemoryWave*>(user);
    if (offset < 0 || static_cast<uint64_t>(offset) > in.bytes.size())
        return -1;
    in.at = static_cast<size_t>(offset);
    return 0;
}

// Takes up to `room` bytes, then fails.
struct MemorySink {
    Bytes bytes;
    size_t at = 0;
    size_t room = SIZE_MAX;
};

long WriteMemorySink(void* user, const void* data, long count) {
    auto& out = *static_cast<MemorySink*>(user);
    if (out.at + static_cast<size_t>(count) > out.room)
        return -1;
    out.bytes.resize(std::max(out.bytes.size(), out.at + static_cast<size_t>(count)));
    std::memcpy(out.bytes.data() + out.at, data, static_cast<size_t>(count));
    out.at += static_cast<size_t>(count);
    return count;
}

int SeekMemorySink(void* user, int64_t offset) {
    static_cast<MemorySink*>(user)->at = static_cast<size_t>(offset);
    return 0;
}

const zem_io kWaveIo = {&ReadMemoryWave, &SeekMemoryWave, nullptr};
const zem_output kSinkOutput = {&WriteMemorySink, &SeekMemorySink};

Bytes TestWave() {
    WaveShape shape;
    shape.blocks = 2500;
    shape.bitsPerSample = 24;  // the level trial reads parts of the audio twice
    shape.trailing = BytesOf("trailing bytes");
    return BuildWave(shape);
}

zem_encode_options Options() {
    zem_encode_options options = {};
    options.compression_level = 3000;
    options.threads = 2;
    options.verify = 1;
    options.frame_blocks = 1000;
    return options;
}

std::pair<int, std::string> EncodeInto(MemoryWave wave, MemorySink* sink, const zem_encode_options& options,
                                       const zem_io& io = kWaveIo) {
    char detail[128];
    std::memset(detail, 'x', sizeof detail);
    const int result = zem_encode_wav(&io, &wave, &kSinkOutput, sink, &options, detail, sizeof detail);
    return {result, detail};
}

TEST(ZemEncodeWav, WritesTheCodecsStreamAndTellsItsProgress) {
    const Bytes wave = TestWave();
    std::vector<std::pair<uint64_t, uint64_t>> told;
    zem_encode_options options = Options();
    options.progress = [](void* user, uint64_t done, uint64_t total) {
        static_cast<std::vector<std::pair<uint64_t, uint64_t>>*>(user)->emplace_back(done, total);
    };
    options.progress_user = &told;
    MemorySink sink;
    EXPECT_EQ(std::make_pair(ZEM_OK, std::string()), EncodeInto({wave}, &sink, options));
    EXPECT_TRUE(EncodeWaveBytes(wave, 3000, 1000) == sink.bytes);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(std::make_pair(uint64_t{2500}, uint64_t{2500}), told.back());
    // The sink's bytes decode back to the very file.
    int error = 1;
    zem_decoder* d = zem_open_memory(sink.bytes.data(), sink.bytes.size(), &error);
    ASSERT_NE(nullptr, d) << error;
    EXPECT_EQ(long(wave.size() - 2500 * 6 - 14), zem_get_wav_header(d, nullptr, 0));
    EXPECT_EQ(14, zem_get_wav_trailer(d, nullptr, 0));
    zem_close(d);
}

TEST(ZemEncodeWav, RefusesWhatItCannotEncodeAndSaysWhy) {
    const Bytes wave = TestWave();
    zem_encode_options badLevel = Options();
    badLevel.compression_level = 2500;
    zem_encode_options badFrame = Options();
    badFrame.frame_blocks = 0x80000000u;
    WaveShape three;
    three.channels = 3;
    struct Case {
        Bytes wave;
        zem_encode_options options;
        size_t room;
        int result;
        std::string detail;
    } cases[] = {
        {BytesOf("RIFX and more bytes than a header"), Options(), SIZE_MAX, ZEM_ERROR_BAD_INPUT,
         "not a RIFF/WAVE file"},
        {BuildWave(three), Options(), SIZE_MAX, ZEM_ERROR_BAD_INPUT, "only 1 or 2 channels can be encoded"},
        {wave, badLevel, SIZE_MAX, ZEM_ERROR_INVALID_ARGUMENT, "the level must be 1000, 2000, 3000, 4000 or 5000"},
        {wave, badFrame, SIZE_MAX, ZEM_ERROR_INVALID_ARGUMENT, "blocks per frame out of range"},
        {wave, Options(), 100, ZEM_ERROR_WRITE_FAILED, "write failed"},
    };
    for (const Case& c : cases) {
        MemorySink sink;
        sink.room = c.room;
        EXPECT_EQ(std::make_pair(c.result, c.detail), EncodeInto({c.wave}, &sink, c.options)) << c.detail;
    }
}

TEST(ZemEncodeWav, NullArgumentsAndSourcesThatCannotSeekAreRefused) {
    MemoryWave wave{TestWave()};
    MemorySink sink;
    const zem_encode_options options = Options();
    const zem_io noSeek = {&ReadMemoryWave, nullptr, nullptr};
    const zem_output noSinkSeek = {&WriteMemorySink, nullptr};
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_encode_wav(nullptr, &wave, &kSinkOutput, &sink, &options, nullptr, 0));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_encode_wav(&noSeek, &wave, &kSinkOutput, &sink, &options, nullptr, 0));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_encode_wav(&kWaveIo, &wave, nullptr, &sink, &options, nullptr, 0));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_encode_wav(&kWaveIo, &wave, &noSinkSeek, &sink, &options, nullptr, 0));
    EXPECT_EQ(ZEM_ERROR_INVALID_ARGUMENT, zem_encode_wav(&kWaveIo, &wave, &kSinkOutput, &sink, nullptr, nullptr, 0));
    EXPECT_TRUE(sink.bytes.empty());
}

}  // namespace
