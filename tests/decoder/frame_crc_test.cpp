// SPDX-License-Identifier: BSD-3-Clause
// The frame CRC: every path the processor has against the bit-by-bit
// reference, over every short length and some long ones, from unaligned
// starts, in one piece and split in two.
#include "coding/frame_crc.h"
#include "tests/older_encoder/older_stream.h"

#include <gtest/gtest.h>

#include <random>

using namespace zem;

namespace {

using testing_support::Bytes;
using UpdateFunction = uint32_t (*)(uint32_t, const uint8_t*, size_t);

TEST(FrameCrc, EveryPathMatchesTheBitwiseReference) {
    std::vector<std::pair<const char*, UpdateFunction>> paths = {{"chosen", frame_crc::Update},
                                                                 {"sliced", frame_crc::UpdateSliced}};
    if (frame_crc::FoldingAvailable())
        paths.push_back({"folded", frame_crc::UpdateFolded});
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 300; ++n)
        lengths.push_back(n);
    for (size_t n : {511, 1024, 4099, 65536 + 61, 300000})
        lengths.push_back(n);
    std::mt19937 random(20261207);
    Bytes data(300000 + 16);
    for (uint8_t& byte : data)
        byte = static_cast<uint8_t>(random());
    for (size_t length : lengths) {
        for (size_t offset : {0, 1, 3, 7, 13}) {
            const uint8_t* start = data.data() + offset;
            const uint32_t expected = ~older_encoder::ReferenceCrc32(Bytes(start, start + length));
            const size_t cut = length ? random() % (length + 1) : 0;
            for (const auto& [name, update] : paths) {
                SCOPED_TRACE(std::string(name) + ", " + std::to_string(length) + " bytes at +" + std::to_string(offset));
                EXPECT_EQ(expected, update(frame_crc::kInitial, start, length));
                EXPECT_EQ(expected, update(update(frame_crc::kInitial, start, cut), start + cut, length - cut))
                    << "split at " << cut;
            }
        }
    }
}

TEST(FrameCrc, StandardCheckValue) {
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(0xCBF43926u, ~frame_crc::Update(frame_crc::kInitial, digits, sizeof(digits)));
    EXPECT_EQ(0xCBF43926u >> 1, frame_crc::CheckValue(frame_crc::Update(frame_crc::kInitial, digits, sizeof(digits))));
}

}  // namespace
