// SPDX-License-Identifier: BSD-3-Clause
// Construction and range clamping, shared by both decoder classes.
#include "tests/decoder/decoder_harness.h"

#include <cstring>
#include <type_traits>
#include <vector>

using namespace decoder_tests;
using testing_support::Bytes;
using testing_support::CanonicalWaveHeader;
using testing_support::FixtureTotalBlocks;
using testing_support::ZemFixture;

namespace {

// A stored wave header longer than the canonical one, so that forwarded and
// range answers cannot be mistaken for each other.
ZemFixture WithDistinctWaveParts(ZemFixture fixture) {
    Bytes header = CanonicalWaveHeader(fixture.channels, 16, fixture.sampleRate, 1000, 0);
    header.resize(60, 0x5A);
    fixture.storedWaveHeader = header;
    fixture.terminatingData = Bytes(10, 0x77);
    return fixture;
}

}  // namespace

template <class Traits>
class DecoderRange : public ::testing::Test {
protected:
    using Decoder = typename Traits::Decoder;
    static ZemFixture Fixture() { return WithDistinctWaveParts(Traits::Fixture()); }
    static int32_t Total() { return static_cast<int32_t>(FixtureTotalBlocks(Fixture())); }
};

using DecoderKinds = ::testing::Types<FrameTraits, OlderTraits>;
TYPED_TEST_SUITE(DecoderRange, DecoderKinds);

TYPED_TEST(DecoderRange, WholeStreamIsNotARange) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), -1, -1);
    ASSERT_EQ(CODEC_OK, h.error);
    ASSERT_EQ(151552, TestFixture::Total());
    EXPECT_EQ(151552, h.Info(DecoderTotalBlocks));
    EXPECT_EQ(0, h.Info(DecoderRangeStart));
    EXPECT_EQ(60, h.Info(WavHeaderBytes));
    EXPECT_EQ(10, h.Info(WavTrailerBytes));
    std::vector<uint8_t> header(60, 0);
    EXPECT_EQ(0, h.Info(WavHeaderData, reinterpret_cast<intptr_t>(header.data()), 60));
    EXPECT_EQ(0x5A, header[59]);
    std::vector<uint8_t> trailer(10, 0);
    EXPECT_EQ(0, h.Info(WavTrailerData, reinterpret_cast<intptr_t>(trailer.data()), 10));
    EXPECT_EQ(std::vector<uint8_t>(10, 0x77), trailer);
}

TYPED_TEST(DecoderRange, ExplicitWholeStreamIsNotARangeEither) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), 0, TestFixture::Total());
    EXPECT_EQ(60, h.Info(WavHeaderBytes));
    EXPECT_EQ(h.Stream(AverageBitrate), h.Info(DecoderAverageBitrate));
}

TYPED_TEST(DecoderRange, RangeAnswersItsOwnWaveParts) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), 588, 1176);
    EXPECT_EQ(588, h.Info(DecoderTotalBlocks));
    EXPECT_EQ(588, h.Info(DecoderRangeStart));
    EXPECT_EQ(44, h.Info(WavHeaderBytes));
    EXPECT_EQ(0, h.Info(WavTrailerBytes));
    std::vector<uint8_t> trailer(10, 0xEE);
    EXPECT_EQ(0, h.Info(WavTrailerData, reinterpret_cast<intptr_t>(trailer.data()), 10));
    EXPECT_EQ(std::vector<uint8_t>(10, 0xEE), trailer);  // nothing of the image's trailer

    std::vector<uint8_t> header(44, 0);
    EXPECT_EQ(0, h.Info(WavHeaderData, reinterpret_cast<intptr_t>(header.data()), 44));
    EXPECT_EQ(CanonicalWaveHeader(2, 16, 44100, 588 * 4, 0), header);
}

TYPED_TEST(DecoderRange, WaveHeaderIntoFortyBytesAnswersMinusOneAndWritesNothing) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), 588, 1176);
    std::vector<uint8_t> buffer(64, 0xAB);
    EXPECT_EQ(-1, h.Info(WavHeaderData, reinterpret_cast<intptr_t>(buffer.data()), 40));
    EXPECT_EQ(-1, h.Info(WavHeaderData, reinterpret_cast<intptr_t>(buffer.data()), 43));
    EXPECT_EQ(std::vector<uint8_t>(64, 0xAB), buffer);
    EXPECT_EQ(-1, h.Info(WavHeaderData, 0, 44));
}

TYPED_TEST(DecoderRange, StartBeyondTheEndGivesAnEmptyRange) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), TestFixture::Total() + 1, -1);
    EXPECT_EQ(0, h.Info(DecoderTotalBlocks));
    EXPECT_EQ(TestFixture::Total(), h.Info(DecoderRangeStart));
    EXPECT_EQ(0, h.Info(DecoderLengthMs));
    EXPECT_EQ(44, h.Info(WavHeaderBytes));  // a range, though an empty one
    EXPECT_EQ(0, h.Info(DecoderAverageBitrate));
}

TYPED_TEST(DecoderRange, FinishBeyondTheEndIsCutToTheTotal) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), 100, TestFixture::Total() + 5000);
    EXPECT_EQ(TestFixture::Total() - 100, h.Info(DecoderTotalBlocks));
}

TYPED_TEST(DecoderRange, NegativeStartIsTheBeginning) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), -5000, 44100);
    EXPECT_EQ(44100, h.Info(DecoderTotalBlocks));
    EXPECT_EQ(0, h.Info(DecoderRangeStart));
    EXPECT_EQ(1000, h.Info(DecoderLengthMs));
    EXPECT_EQ(44, h.Info(WavHeaderBytes));
}

TYPED_TEST(DecoderRange, ZeroToZeroIsAnEmptyRange) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), 0, 0);
    EXPECT_EQ(0, h.Info(DecoderTotalBlocks));
    EXPECT_EQ(44, h.Info(WavHeaderBytes));
    std::vector<uint8_t> header(44, 0);
    EXPECT_EQ(0, h.Info(WavHeaderData, reinterpret_cast<intptr_t>(header.data()), 44));
    EXPECT_EQ(CanonicalWaveHeader(2, 16, 44100, 0, 0), header);
}

TYPED_TEST(DecoderRange, FinishBeforeStartIsEmptyNotNegative) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), 1000, 500);
    EXPECT_EQ(0, h.Info(DecoderTotalBlocks));
    EXPECT_EQ(0, h.Info(DecoderLengthMs));
    std::vector<uint8_t> header(44, 0);
    EXPECT_EQ(0, h.Info(WavHeaderData, reinterpret_cast<intptr_t>(header.data()), 44));
    EXPECT_EQ(CanonicalWaveHeader(2, 16, 44100, 0, 0), header);
}

TYPED_TEST(DecoderRange, PositionQueriesStartAtZero) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), 588, 88788);
    EXPECT_EQ(0, h.Info(DecoderCurrentBlock));
    EXPECT_EQ(0, h.Info(DecoderCurrentMs));
    EXPECT_EQ(88200, h.Info(DecoderTotalBlocks));
    EXPECT_EQ(2000, h.Info(DecoderLengthMs));
    EXPECT_EQ(44100, h.Info(SampleRate));
}

TYPED_TEST(DecoderRange, OtherQueriesAreForwardedUnchanged) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), 588, 1176);
    for (int query : {Version, CompressionLevel, SampleRate, Channels, BlockAlign, BlocksPerFrame,
                      TotalFrames, TotalBlocks, LengthMs, FileBytes, WavDataBytes, AverageBitrate,
                      DecompressedBitrate, PeakLevel}) {
        EXPECT_EQ(h.Stream(query), h.Info(query)) << query;
    }
    EXPECT_EQ(h.Stream(SeekByte, 1), h.Info(SeekByte, 1));
    EXPECT_EQ(h.Stream(FrameBytes, 2), h.Info(FrameBytes, 2));
    EXPECT_EQ(TestFixture::Total(), h.Info(TotalBlocks));  // the stream's, not the range's
    EXPECT_EQ(-1, h.Info(4242));
    EXPECT_NE(0, h.Info(Tag));
    EXPECT_NE(0, h.Info(IoSource));
}

// The older-version decoder does not decode yet and says so; the frame
// decoder reads the fixture's fake frames as failed frames of fill bytes.
TYPED_TEST(DecoderRange, FakeFramesAreRefusedOrFilled) {
    Harness<typename TestFixture::Decoder> h(TestFixture::Fixture(), -1, -1);
    std::vector<uint8_t> out(4096, 0xCD);
    int retrieved = 99;
    bool frames = std::is_same<typename TestFixture::Decoder, CFrameDecoder>::value;
    EXPECT_EQ(frames ? CODEC_BAD_CHECKSUM : CODEC_FAILED, h.decoder->GetData(out.data(), 1024, &retrieved));
    EXPECT_EQ(frames ? 1024 : 0, retrieved);
    EXPECT_EQ(std::vector<uint8_t>(4096, frames ? 0 : 0xCD), out);
    EXPECT_EQ(frames ? CODEC_OK : CODEC_FAILED, h.decoder->Seek(0));
    EXPECT_EQ(0, h.Info(DecoderCurrentBlock));
}
