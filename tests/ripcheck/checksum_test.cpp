// SPDX-License-Identifier: BSD-3-Clause
// The checksums of synthetic images against a reference written from their
// definition: AccurateRip v1 sums word x position, v2 the low and high halves
// of each 64-bit product, positions counted from 1 in each track, the first
// track's first five sectors and the last track's last five left out.
#include "tests/ripcheck/ripcheck_fixture.h"
#include "tools/zemtool/ripcheck/track_checksum.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace ripcheck_tests;

struct Reference {
    uint32_t v1, v2, crc;
};

uint32_t BitwiseCrc(const std::vector<uint32_t>& words, size_t from, size_t to) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < to; ++i) {
        for (int byte = 0; byte < 4; ++byte) {
            crc ^= (words[i] >> (8 * byte)) & 0xFFu;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
        }
    }
    return ~crc;
}

Reference ReferenceSums(const std::vector<uint32_t>& words, size_t from, size_t to, bool first, bool last) {
    const int64_t length = static_cast<int64_t>(to - from);
    const int64_t low = first ? 5 * 588 : 1;
    const int64_t high = last ? length - 5 * 588 : length;
    uint64_t v1 = 0, v2 = 0;  // only the low 32 bits matter, so sums modulo 2^64 do
    for (int64_t position = 1; position <= length; ++position) {
        if (position < low || position > high)
            continue;
        const uint64_t product = static_cast<uint64_t>(words[from + static_cast<size_t>(position) - 1]) *
                                 static_cast<uint64_t>(position);
        v1 += product;
        v2 += (product & 0xFFFFFFFFu) + (product >> 32);
    }
    return {static_cast<uint32_t>(v1), static_cast<uint32_t>(v2), BitwiseCrc(words, from, to)};
}

enum class Fill { Noise, FullScale, Ramp };

struct ImageCase {
    const char* name;
    std::vector<uint32_t> startSectors;
    uint32_t sectors;     // the image's length
    uint32_t extraSamples; // beyond whole sectors
    Fill fill;
};

std::vector<uint32_t> Words(uint32_t count, Fill fill) {
    std::mt19937 random(count);
    std::vector<uint32_t> words(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (fill == Fill::Noise)
            words[i] = static_cast<uint32_t>(random());
        else if (fill == Fill::FullScale)  // -1/-32768 in both channels: the largest products carry
            words[i] = (i % 3 == 0) ? 0xFFFFFFFFu : (i % 3 == 1 ? 0x80008000u : 0x7FFF8000u);
        else
            words[i] = i * 0x00010001u;
    }
    return words;
}

class ChecksumTest : public ::testing::TestWithParam<ImageCase> {};

TEST_P(ChecksumTest, MatchesTheDefinition) {
    const ImageCase& c = GetParam();
    testing_support::TempDir dir;
    const uint32_t samples = c.sectors * 588 + c.extraSamples;
    const std::vector<uint32_t> words = Words(samples, c.fill);
    const std::string sheet = WriteImage(dir, "disc", words, c.startSectors);
    const RunResult run = RunTool({"ripcheck", "--json", sheet});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> v1 = JsonValues(run.out, "accuraterip_v1");
    const std::vector<std::string> v2 = JsonValues(run.out, "accuraterip_v2");
    const std::vector<std::string> crc = JsonValues(run.out, "crc32");
    ASSERT_EQ(v1.size(), c.startSectors.size()) << run.out;
    for (size_t t = 0; t < c.startSectors.size(); ++t) {
        const size_t from = c.startSectors[t] * 588;
        const size_t to = t + 1 < c.startSectors.size() ? c.startSectors[t + 1] * 588 : samples;
        const Reference expected = ReferenceSums(words, from, to, t == 0, t + 1 == c.startSectors.size());
        EXPECT_EQ(v1[t], Hex8(expected.v1)) << "track " << t + 1;
        EXPECT_EQ(v2[t], Hex8(expected.v2)) << "track " << t + 1;
        EXPECT_EQ(crc[t], Hex8(expected.crc)) << "track " << t + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Images, ChecksumTest,
    ::testing::Values(ImageCase{"ThreeTracks", {0, 23, 41}, 70, 0, Fill::Noise},
                      ImageCase{"HiddenAudioBeforeTrackOne", {12, 30}, 52, 0, Fill::Noise},
                      ImageCase{"OneTrack", {0}, 31, 0, Fill::Noise},
                      ImageCase{"OneShortTrack", {0}, 7, 0, Fill::Ramp},
                      ImageCase{"TracksShorterThanFiveSectors", {0, 3, 5, 8}, 12, 0, Fill::Noise},
                      ImageCase{"FullScale", {0, 14, 29}, 45, 0, Fill::FullScale},
                      ImageCase{"LengthNotWholeSectors", {0, 10}, 20, 300, Fill::Noise}),
    [](const ::testing::TestParamInfo<ImageCase>& p) { return std::string(p.param.name); });

// Feeding a track in pieces of any size gives what one piece gives.
TEST(TrackChecksum, PiecesDoNotMatter) {
    const std::vector<uint32_t> words = Words(9000, Fill::Noise);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(words.data());  // little-endian targets only
    ripcheck::TrackChecksum whole(words.size(), true, true);
    whole.Add(bytes, words.size());
    ripcheck::TrackChecksum pieces(words.size(), true, true);
    size_t at = 0;
    for (size_t step : {1u, 2939u, 2u, 1000u, 5000u}) {
        pieces.Add(bytes + 4 * at, step);
        at += step;
    }
    pieces.Add(bytes + 4 * at, words.size() - at);
    EXPECT_EQ(pieces.Result().v1, whole.Result().v1);
    EXPECT_EQ(pieces.Result().v2, whole.Result().v2);
    EXPECT_EQ(pieces.Result().crc32, whole.Result().crc32);
    const Reference expected = ReferenceSums(words, 0, words.size(), true, true);
    EXPECT_EQ(whole.Result().v1, expected.v1);
    EXPECT_EQ(whole.Result().v2, expected.v2);
}

struct RefusedCase {
    const char* name;
    uint16_t channels;
    uint32_t rate;
    const char* reason;
};

class RefusedImageTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedImageTest, SaysWhy) {
    testing_support::TempDir dir;
    const std::string sheet = WriteImage(dir, "disc", Words(588 * 10, Fill::Noise), {0}, GetParam().channels,
                                         GetParam().rate);
    const RunResult run = RunTool({"ripcheck", sheet});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(GetParam().reason), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("only CD audio"), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(NotCdAudio, RefusedImageTest,
                         ::testing::Values(RefusedCase{"Mono", 1, 44100, "in 1 channels"},
                                           RefusedCase{"Rate48000", 2, 48000, "48000 Hz"}),
                         [](const ::testing::TestParamInfo<RefusedCase>& p) { return std::string(p.param.name); });

TEST(RipcheckInput, TrackBeyondTheImageFails) {
    testing_support::TempDir dir;
    const std::string sheet = WriteImage(dir, "disc", Words(588 * 10, Fill::Noise), {0, 10});
    const RunResult run = RunTool({"ripcheck", sheet});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("track 2 starts at or after the image's end"), std::string::npos) << run.err;
}

TEST(RipcheckInput, MissingImageFails) {
    testing_support::TempDir dir;
    testing_support::WriteFileBytes(dir.File("a.cue"),
                                    testing_support::BytesOf("FILE \"gone.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"));
    const RunResult run = RunTool({"ripcheck", dir.File("a.cue").u8string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("'gone.wav' not found"), std::string::npos) << run.err;
}

}  // namespace
