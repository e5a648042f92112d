// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/source_tree.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zemfs {
namespace {

constexpr int kLinks = 30;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Le32(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[size_t(i)] = static_cast<char>(value >> (8 * i));
    return bytes;
}

// 16-bit stereo at 44100 Hz, 10,000 blocks of a ramp, then `trailer`.
std::string WaveWithTrailer(const std::string& trailer) {
    std::string pcm;
    for (uint32_t i = 0; i < 10000; ++i)
        pcm += Le32(i * 2654435761u & 0x0FFF0FFFu);
    const std::string format = std::string("\x01\x00\x02\x00", 4) + Le32(44100) + Le32(44100 * 4) +
                               std::string("\x04\x00\x10\x00", 4);
    const std::string body = "WAVEfmt " + Le32(16) + format + "data" + Le32(uint32_t(pcm.size())) + pcm + trailer;
    return "RIFF" + Le32(uint32_t(body.size())) + body;
}

class SourceTreeMemoryTest : public testing::TestWithParam<size_t> {};

// Many files made from one stream with a large trailer hold it once, or not at all.
TEST_P(SourceTreeMemoryTest, ManyLinksToOneStreamHoldItsTrailerAtMostOnce) {
    const size_t trailerBytes = GetParam();
    const std::string root = testing::TempDir() + "zemfs_tree_" + std::to_string(trailerBytes);
    const std::string source = root + "/src";
    std::system(("rm -rf '" + root + "' && mkdir -p '" + source + "'").c_str());
    std::string trailer(trailerBytes, '\0');
    for (size_t i = 0; i < trailer.size(); ++i)
        trailer[i] = static_cast<char>(i * 7 % 251);
    WriteFile(root + "/big.wav", WaveWithTrailer(trailer));
    std::ostringstream out, err;
    ASSERT_EQ(RunZemtool({"encode", "-q", root + "/big.wav", source + "/big.zem"}, out, err), 0) << err.str();
    for (int i = 0; i < kLinks; ++i)
        WriteFile(source + "/link" + std::to_string(i) + ".zlk",
                  "[Quillon Image Link File]\r\nImage File=big.zem\r\nStart Block=0\r\nFinish Block=-1\r\n");

    SourceTree tree(source);
    std::vector<std::shared_ptr<const WaveVersion>> held;  // as open files hold them
    for (int i = 0; i < kLinks; ++i) {
        Node node;
        ASSERT_EQ(tree.Resolve("/link" + std::to_string(i) + ".wav", &node), 0) << i;
        std::shared_ptr<const WaveVersion> version;
        ASSERT_EQ(tree.Layout(node, &version), 0) << i;
        ASSERT_EQ(version->layout.trailer.size, trailerBytes);
        held.push_back(version);
    }
    EXPECT_LT(tree.HeldPartBytes(), std::min<size_t>(trailerBytes, 256 << 10) + 4096);

    // The trailer reads back whole, wherever it is kept.
    const WaveLayout& layout = held.back()->layout;
    std::vector<uint8_t> tail(trailerBytes);
    const long got = ReadWave(layout, layout.Size() - trailerBytes, tail.size(), tail.data(),
                              [](uint64_t, DecodedFrame*) { return -EIO; });
    ASSERT_EQ(got, static_cast<long>(trailerBytes));
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), trailer.begin(),
                           [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); }));
    std::system(("rm -rf '" + root + "'").c_str());
}

INSTANTIATE_TEST_SUITE_P(Trailers, SourceTreeMemoryTest, testing::Values(size_t(100) << 10, size_t(4) << 20));

}  // namespace
}  // namespace zemfs
