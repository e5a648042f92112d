// SPDX-License-Identifier: BSD-3-Clause
// Opening on a caller's file object or stream information, and the failure
// paths that must leave nothing allocated (the sanitizer build checks leaks).
#include "decode/decoder_factory.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "decode/current/frame_decoder.h"
#include "decode/older/older_decoder.h"
#include "io/memory_stream.h"
#include "tests/support/zem_fixture.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace zem;

using namespace testing_support;

namespace {

const int32_t kFixtureBlocks = 2 * 73728 + 4096;  // the default fixture

// A file whose reads throw after a given number of them succeeded.
class ThrowingStream : public CMemoryStream {
public:
    ThrowingStream(testing_support::Bytes bytes, int readsBeforeThrow)
        : CMemoryStream(std::move(bytes)), m_readsLeft(readsBeforeThrow) {}
    int Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) override {
        if (m_readsLeft-- <= 0)
            throw std::runtime_error("read refused");
        return CMemoryStream::Read(buffer, bytesToRead, bytesRead);
    }

private:
    int m_readsLeft;
};

}  // namespace

TEST(FactoryFromIo, OpensTheWholeStreamAndLeavesTheFileToTheCaller) {
    CMemoryStream io(BuildZemBytes(CurrentZemFixture(3990)));
    int error = -7;
    {
        auto decoder = OpenDecoderFromIo(&io, &error);
        ASSERT_NE(nullptr, decoder);
        EXPECT_EQ(CODEC_OK, error);
        EXPECT_EQ(kFixtureBlocks, decoder->GetInfo(DecoderTotalBlocks));
        EXPECT_EQ(reinterpret_cast<intptr_t>(static_cast<CStreamIo*>(&io)), decoder->GetInfo(IoSource));
        EXPECT_NE(0, decoder->GetInfo(Tag));
    }
    // Still open and whole after the decoder is gone.
    EXPECT_EQ(static_cast<int32_t>(io.Bytes().size()), io.GetSize());
    EXPECT_EQ(0, io.Seek(0, 0));
}

TEST(FactoryFromIo, OlderStreamsGetTheOlderDecoder) {
    CMemoryStream io(BuildZemBytes(OldZemFixture(3800)));
    auto decoder = OpenDecoderFromIo(&io, nullptr);
    EXPECT_NE(nullptr, dynamic_cast<COlderDecoder*>(decoder.get()));
}

TEST(FactoryFromIo, MissingOrUnrecognisedStream) {
    int error = -7;
    EXPECT_EQ(nullptr, OpenDecoderFromIo(nullptr, &error));
    EXPECT_EQ(CODEC_BAD_ARGUMENT, error);
    CMemoryStream noise(Bytes(5000, 0x42));
    EXPECT_EQ(nullptr, OpenDecoderFromIo(&noise, &error));
    EXPECT_EQ(CODEC_BAD_INPUT, error);
    CMemoryStream gap(BuildZemBytes(OldZemFixture(3925)));
    EXPECT_EQ(nullptr, OpenDecoderFromIo(&gap, &error));
    EXPECT_EQ(CODEC_FAILED, error);
}

TEST(FactoryFromIo, AnythingThrownWhileBuildingIsCaughtAndReportedAsFailed) {
    Bytes bytes = BuildZemBytes(CurrentZemFixture(3990));
    int thrown = 0;
    for (int reads = 0; reads < 64; ++reads) {
        ThrowingStream io(bytes, reads);
        int error = -7;
        std::unique_ptr<CDecoder> decoder;
        EXPECT_NO_THROW(decoder = OpenDecoderFromIo(&io, &error)) << reads;
        if (error == CODEC_FAILED) {
            EXPECT_EQ(nullptr, decoder) << reads;
            ++thrown;
        } else {
            EXPECT_EQ(CODEC_OK, error) << reads;
            EXPECT_NE(nullptr, decoder) << reads;
        }
    }
    EXPECT_GT(thrown, 0);
}

TEST(FactoryFromInfo, BuildsOnTheCallersStreamWithItsRange) {
    CMemoryStream io(BuildZemBytes(CurrentZemFixture(3990)));
    int error = -7;
    auto decoder = OpenDecoderFromInfo(new CStreamInfo(&io, nullptr), 588, 1176, &error);
    ASSERT_NE(nullptr, decoder);
    EXPECT_EQ(CODEC_OK, error);
    EXPECT_EQ(588, decoder->GetInfo(DecoderTotalBlocks));
    EXPECT_EQ(44, decoder->GetInfo(WavHeaderBytes));

    auto whole = OpenDecoderFromInfo(new CStreamInfo(&io, nullptr), -1, -1, &error);
    ASSERT_NE(nullptr, whole);
    EXPECT_EQ(kFixtureBlocks, whole->GetInfo(DecoderTotalBlocks));
    EXPECT_EQ(44, whole->GetInfo(WavHeaderBytes));  // the stored header of the fixture is canonical
    EXPECT_EQ(0, whole->GetInfo(WavTrailerBytes));
}

TEST(FactoryFromInfo, FailuresReleaseTheStreamInformation) {
    int error = -7;
    EXPECT_EQ(nullptr, OpenDecoderFromInfo(nullptr, 0, 0, &error));
    EXPECT_EQ(CODEC_BAD_ARGUMENT, error);

    CMemoryStream noise(Bytes(5000, 0x42));
    EXPECT_EQ(nullptr, OpenDecoderFromInfo(new CStreamInfo(&noise, nullptr), -1, -1, &error));
    EXPECT_EQ(CODEC_BAD_INPUT, error);

    CMemoryStream gap(BuildZemBytes(OldZemFixture(3925)));
    EXPECT_EQ(nullptr, OpenDecoderFromInfo(new CStreamInfo(&gap, nullptr), -1, -1, &error));
    EXPECT_EQ(CODEC_FAILED, error);
}

TEST(FactoryFromInfo, ErrorStartsAtZero) {
    CMemoryStream io(BuildZemBytes(OldZemFixture(3920)));
    int error = 1234;
    auto decoder = OpenDecoderFromInfo(new CStreamInfo(&io, nullptr), 0, 10, &error);
    EXPECT_EQ(CODEC_OK, error);
    EXPECT_NE(nullptr, dynamic_cast<COlderDecoder*>(decoder.get()));
}
