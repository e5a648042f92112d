// SPDX-License-Identifier: BSD-3-Clause
// The bytes an encoded stream starts with, its digest, and the file handling
// of EncodeFile.
#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "encode/encoder.h"
#include "encode/md5.h"
#include "io/memory_stream.h"
#include "tests/support/wave_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace zem;

using namespace testing_support;

namespace {

uint32_t U32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t U16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

std::string Hex(const uint8_t* digest) {
    static const char* kDigits = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < 16; ++i)
        out += {kDigits[digest[i] >> 4], kDigits[digest[i] & 15]};
    return out;
}

std::string Md5Of(const std::string& text, size_t pieces) {
    CMd5 md5;
    size_t step = text.size() / pieces + 1;
    for (size_t at = 0; at < text.size(); at += step)
        md5.Update(text.data() + at, std::min(step, text.size() - at));
    uint8_t digest[16];
    md5.Finish(digest);
    return Hex(digest);
}

TEST(Md5, KnownDigestsWholeAndInPieces) {
    struct Case {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"The quick brown fox jumps over the lazy dog", "9e107d9d372bb6826bd81d3542a419d6"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
    };
    for (const Case& c : cases)
        for (size_t pieces : {1, 3, 64})
            EXPECT_EQ(c.digest, Md5Of(c.text, pieces)) << c.text.size() << " in " << pieces;
}

// Descriptor, header, seek table and stored wave header, field by field, and
// the digest of the whole wave file.
TEST(StreamLayout, FrontOfAnEncodedStream) {
    WaveShape shape;
    shape.channels = 1;
    shape.bitsPerSample = 24;
    shape.sampleRate = 48000;
    shape.blocks = 2500;
    shape.trailing = BytesOf("tail");
    Bytes wave = BuildWave(shape);
    int result = -7;
    Bytes stream = EncodeWaveBytes(wave, 4000, 1000, &result);
    ASSERT_EQ(CODEC_OK, result);
    EXPECT_EQ(0, std::memcmp(stream.data(), "QRB ", 4));
    EXPECT_EQ(3990, U16(stream, 4));
    EXPECT_EQ(52u, U32(stream, 8));
    EXPECT_EQ(24u, U32(stream, 12));
    EXPECT_EQ(12u, U32(stream, 16));   // three seek entries
    EXPECT_EQ(44u, U32(stream, 20));   // the stored wave header
    uint32_t framesStart = 52 + 24 + 12 + 44;
    EXPECT_EQ(stream.size() - 4 - framesStart, U32(stream, 24));
    EXPECT_EQ(0u, U32(stream, 24) % 4);
    EXPECT_EQ(0u, U32(stream, 28));
    EXPECT_EQ(4u, U32(stream, 32));
    CMd5 md5;
    md5.Update(wave.data(), wave.size());
    uint8_t digest[16];
    md5.Finish(digest);
    EXPECT_EQ(0, std::memcmp(digest, stream.data() + 36, 16));
    EXPECT_EQ(4000, U16(stream, 52));
    EXPECT_EQ(0, U16(stream, 54));
    EXPECT_EQ(1000u, U32(stream, 56));
    EXPECT_EQ(500u, U32(stream, 60));
    EXPECT_EQ(3u, U32(stream, 64));
    EXPECT_EQ(24, U16(stream, 68));
    EXPECT_EQ(1, U16(stream, 70));
    EXPECT_EQ(48000u, U32(stream, 72));
    EXPECT_EQ(framesStart, U32(stream, 76));
    EXPECT_LT(U32(stream, 76), U32(stream, 80));
    EXPECT_LT(U32(stream, 80), U32(stream, 84));
    EXPECT_TRUE(std::equal(wave.begin(), wave.begin() + 44, stream.begin() + 88));
    EXPECT_EQ(0, std::memcmp(stream.data() + stream.size() - 4, "tail", 4));
    // The stream information reads it back the same way.
    CMemoryStream io(stream, true);
    int error = -7;
    CStreamInfo info(&io, &error);
    ASSERT_EQ(CODEC_OK, error);
    EXPECT_EQ(2500, info.GetInfo(TotalBlocks));
    EXPECT_EQ(3, info.GetInfo(BlockAlign));
    EXPECT_EQ(4, info.GetInfo(WavTrailerBytes));
}

// Input whose reads fail from a position on.
class FailingFrom : public CMemoryStream {
public:
    FailingFrom(const testing_support::Bytes& bytes, int32_t from) : CMemoryStream(bytes, true), m_from(from) {}
    int Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) override {
        if (GetPosition() + int64_t(bytesToRead) > m_from) {
            *bytesRead = 0;
            return CODEC_READ_FAILED;
        }
        return CMemoryStream::Read(buffer, bytesToRead, bytesRead);
    }

private:
    int32_t m_from;
};

// A failed encode leaves neither the final file nor the temporary one; a
// successful one replaces an older file and leaves no temporary behind.
TEST(EncodeFile, WritesUnderATemporaryNameAndRenamesWhenComplete) {
    TempDir dir;
    WaveShape shape;
    shape.blocks = 3000;
    Bytes wave = BuildWave(shape);
    WriteFileBytes(dir.File("in.wav"), wave);
    WriteFileBytes(dir.File("old.zem"), BytesOf("older contents"));
    EncodeSettings settings;
    settings.blocksPerFrame = 1000;
    std::string reason;
    FailingFrom failing(wave, 44 + 6000);  // in the second frame
    EXPECT_EQ(CODEC_READ_FAILED,
              EncodeStreamToFile(failing, dir.WideFile("new.zem").c_str(), settings, nullptr, &reason));
    EXPECT_EQ("the wave file cannot be read", reason);
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.zem")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.zem.partial")));
    int64_t lastDone = 0;
    auto progress = [&](int64_t done, int64_t total) {
        EXPECT_GT(done, lastDone);
        EXPECT_EQ(3000, total);
        lastDone = done;
    };
    ASSERT_EQ(CODEC_OK, EncodeFile(dir.WideFile("in.wav").c_str(), dir.WideFile("old.zem").c_str(), settings,
                                   progress, &reason));
    EXPECT_EQ(3000, lastDone);
    EXPECT_FALSE(std::filesystem::exists(dir.File("old.zem.partial")));
    int result = -7;
    EXPECT_TRUE(wave == DecodeToWave(ReadFileBytes(dir.File("old.zem")), &result));
    EXPECT_EQ(CODEC_OK, result);
    EXPECT_EQ(CODEC_BAD_INPUT, EncodeFile(dir.WideFile("missing.wav").c_str(), dir.WideFile("x.zem").c_str(),
                                          settings, nullptr, &reason));
    EXPECT_EQ(CODEC_BAD_ARGUMENT, EncodeFile(WTXT(""), dir.WideFile("x.zem").c_str(), settings, nullptr, &reason));
}

}  // namespace
