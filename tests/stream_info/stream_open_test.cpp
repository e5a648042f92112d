// SPDX-License-Identifier: BSD-3-Clause
// Opening through a file name, ownership of the file and the tag, and the
// header reader's refusals for damaged or hostile files.
#include "container/codec_error.h"
#include "container/header_reader.h"
#include "io/win32_file.h"
#include "tag/tag_block.h"
#include "tests/stream_info/open_stream.h"

#include <gtest/gtest.h>

using namespace zem;

using namespace testing_support;
using stream_info_tests::EmptyZemTag;
using stream_info_tests::Open;
using stream_info_tests::OpenBytes;

TEST(StreamOpen, ByFileName) {
    TempDir dir;
    ZemFixture fixture = CurrentZemFixture();
    fixture.id3.present = true;
    fixture.id3.lengthField = 30;
    fixture.terminatingData = Bytes{7, 7, 7};
    fixture.trailer = EmptyZemTag();
    ZemFile file = BuildZemFile(fixture);
    WriteFileBytes(dir.File("disc.zem"), file.bytes);

    int error = -99;
    CStreamInfo info(dir.WideFile("disc.zem").c_str(), &error);
    ASSERT_EQ(0, error);
    EXPECT_EQ(1, info.IsValid());
    EXPECT_EQ(40, reinterpret_cast<const StreamInfoRecord*>(info.GetInfo(InfoRecord))->junkBytes);
    EXPECT_EQ(file.frameOffsets[2], info.GetInfo(SeekByte, 2));
    EXPECT_EQ(100, info.GetInfo(FrameBytes, 2));
    EXPECT_EQ(static_cast<int64_t>(file.bytes.size()), info.GetInfo(FileBytes));
    auto* io = reinterpret_cast<CStreamIo*>(info.GetInfo(IoSource));
    ASSERT_NE(nullptr, io);
    EXPECT_NE(nullptr, dynamic_cast<CWin32File*>(io));
    EXPECT_EQ(static_cast<int32_t>(file.headerEnd), io->GetPosition());
    auto* tag = reinterpret_cast<CTagBlock*>(info.GetInfo(Tag));
    ASSERT_NE(nullptr, tag);
    EXPECT_EQ(32, tag->GetTrailingBytes());
    uint8_t trailer[3] = {};
    EXPECT_EQ(0, info.GetInfo(WavTrailerData, reinterpret_cast<intptr_t>(trailer), 3));
    EXPECT_EQ((Bytes{7, 7, 7}), Bytes(trailer, trailer + 3));
    EXPECT_EQ(static_cast<int32_t>(file.headerEnd), io->GetPosition());
}

TEST(StreamOpen, MissingOrEmptyName) {
    TempDir dir;
    int error = -99;
    CStreamInfo missing(dir.WideFile("none.zem").c_str(), &error);
    EXPECT_EQ(CODEC_BAD_INPUT, error);
    EXPECT_EQ(0, missing.IsValid());
    EXPECT_EQ(0, missing.GetInfo(IoSource));
    error = -99;
    CStreamInfo unnamed(static_cast<const WCHAR*>(nullptr), &error);
    EXPECT_EQ(CODEC_BAD_INPUT, error);
    CStreamInfo noErrorPointer(dir.WideFile("none.zem").c_str(), nullptr);
    EXPECT_EQ(0, noErrorPointer.IsValid());
}

TEST(StreamOpen, NotAStreamFile) {
    TempDir dir;
    WriteFileBytes(dir.File("text.zem"), BytesOf("just some text, no stream here"));
    int error = -99;
    CStreamInfo info(dir.WideFile("text.zem").c_str(), &error);
    EXPECT_EQ(CODEC_BAD_INPUT, error);
    EXPECT_EQ(0, info.GetInfo(Tag));
}

TEST(StreamOpen, BorrowedStreamIsNotDeleted) {
    auto stream = Open(CurrentZemFixture());
    ASSERT_EQ(0, stream->error);
    stream->info.reset();
    // Still open and readable; a deleted stream would also be deleted twice here.
    stream->io.Seek(0, 0);
    uint8_t magic[4] = {};
    int32_t got = 0;
    EXPECT_EQ(0, stream->io.Read(magic, 4, &got));
    EXPECT_EQ(BytesOf("QRB "), Bytes(magic, magic + got));
}

// A tag handed over belongs to the stream information from then on, also
// when opening fails; the leak checker of the sanitizer build sees a tag
// that nobody deletes.
TEST(StreamOpen, GivenTagIsOwnedAndAnswered) {
    CMemoryStream io(BuildZemBytes(CurrentZemFixture()));
    auto* tag = new CTagBlock(&io, 1);
    int error = -99;
    CStreamInfo info(&io, &error, tag);
    ASSERT_EQ(0, error);
    EXPECT_EQ(reinterpret_cast<intptr_t>(tag), info.GetInfo(Tag));
}

TEST(StreamOpen, GivenTagIsReleasedWhenOpeningFails) {
    CMemoryStream io(BytesOf("no stream"));
    int error = -99;
    CStreamInfo info(&io, &error, new CTagBlock(&io, 1));
    EXPECT_EQ(CODEC_BAD_INPUT, error);
    EXPECT_EQ(0, info.GetInfo(Tag));

    TempDir dir;
    error = -99;
    CStreamInfo missing(dir.WideFile("none.zem").c_str(), &error, new CTagBlock(&io, 0));
    EXPECT_EQ(CODEC_BAD_INPUT, error);
    EXPECT_EQ(0, missing.GetInfo(Tag));
}

TEST(StreamOpen, WrongMagicAfterSearchIsImpossibleButShortStartIsRefused) {
    // "QRB " found in the last four bytes: the version cannot be read.
    EXPECT_EQ(CODEC_BAD_INPUT, OpenBytes(BytesOf("xxQRB "))->error);
    EXPECT_EQ(CODEC_BAD_INPUT, OpenBytes(BytesOf("xxQRB \x96"))->error);
}

TEST(StreamOpen, ReadFailureIsRefused) {
    CMemoryStream io(BuildZemBytes(CurrentZemFixture()));
    io.FailNextReads(2);  // the look for an ID3v2 block, then the search
    int error = -99;
    CStreamInfo info(&io, &error);
    EXPECT_EQ(CODEC_BAD_INPUT, error);
}

// Every prefix of a header is refused; none reads past its buffer (the
// sanitizers watch) or leaves a half-filled valid object. The whole header
// without its frames opens: a file cut short, whose decoding says so.
TEST(StreamOpen, EveryTruncationIsHandled) {
    ZemFixture current = CurrentZemFixture();
    current.frames = ZemFixture::FakeFrames({1, 1});
    ZemFixture old = OldZemFixture(3800);
    old.formatFlags = 0x4 | 0x10;
    old.frames = ZemFixture::FakeFrames({1, 1});
    for (const ZemFixture& fixture : {current, old}) {
        const ZemFile file = BuildZemFile(fixture);
        const Bytes& bytes = file.bytes;
        for (size_t cut = 0; cut < file.headerEnd; ++cut) {
            auto s = OpenBytes(Bytes(bytes.begin(), bytes.begin() + cut));
            EXPECT_EQ(CODEC_BAD_INPUT, s->error) << fixture.version << " cut at " << cut;
            EXPECT_EQ(0, s->info->IsValid());
        }
        EXPECT_EQ(0, OpenBytes(Bytes(bytes.begin(), bytes.begin() + file.headerEnd))->error) << fixture.version;
        EXPECT_EQ(0, OpenBytes(bytes)->error);
    }
}

// Random damage to header bytes: any result, but no crash and a consistent state.
TEST(StreamOpen, DamagedHeadersAreSurvived) {
    for (uint16_t version : {3990, 3950, 3800}) {
        ZemFixture fixture = version >= 3980 ? CurrentZemFixture(version) : OldZemFixture(version);
        fixture.formatFlags = version < 3980 ? 0x14 : 0;
        const Bytes bytes = BuildZemBytes(fixture);
        uint32_t seed = version;
        for (int round = 0; round < 300; ++round) {
            Bytes damaged = bytes;
            for (int hit = 0; hit < 3; ++hit) {
                seed = seed * 1664525u + 1013904223u;
                const size_t at = 4 + (seed >> 8) % 80;
                damaged[at] = static_cast<uint8_t>(seed >> 24);
            }
            auto s = OpenBytes(damaged);
            EXPECT_TRUE(s->error == 0 || s->error == CODEC_BAD_INPUT);
            EXPECT_EQ(s->error == 0 ? 1 : 0, s->info->IsValid());
            for (int frame = -1; frame < 5; ++frame) {
                s->Get(FrameBytes, frame);
                s->Get(FrameBitrate, frame);
                s->Get(SeekBit, frame);
            }
            uint8_t buffer[64];
            s->Get(WavHeaderData, reinterpret_cast<intptr_t>(buffer), sizeof(buffer));
            s->Get(WavTrailerData, reinterpret_cast<intptr_t>(buffer), sizeof(buffer));
        }
    }
}

TEST(StreamOpen, HeaderReaderOnAFileWithoutStream) {
    CMemoryStream io(Bytes(100, 0));
    StreamInfoRecord record;
    EXPECT_EQ(-1, CHeaderReader(&io).Read(&record));
}
