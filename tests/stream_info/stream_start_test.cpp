// SPDX-License-Identifier: BSD-3-Clause
#include "container/stream_start.h"

#include "io/memory_stream.h"
#include "tests/stream_info/open_stream.h"
#include "tests/support/zem_fixture.h"

#include <gtest/gtest.h>

using namespace zem;

using namespace testing_support;
using stream_info_tests::Open;

namespace {

// A 1,000-byte ID3v2 block: 10 bytes of header and a length field of 990.
Id3v2Prefix Id3Block(bool footerFlag, uint32_t zeroPadding) {
    Id3v2Prefix id3;
    id3.present = true;
    id3.lengthField = 990;
    id3.footerFlag = footerFlag;
    id3.bodyBytes = 990;
    id3.zeroPadding = zeroPadding;
    return id3;
}

int32_t FindIn(Bytes bytes, int32_t startPosition = 0) {
    CMemoryStream io(std::move(bytes));
    io.Seek(startPosition, 0);
    return FindStreamStart(&io);
}

Bytes MagicAfter(size_t offset, uint8_t fill = 0x11) {
    Bytes bytes(offset, fill);
    PutText(bytes, "QRB ");
    return bytes;
}

}  // namespace

TEST(FindStreamStart, PlainStreamStartsAtZero) {
    EXPECT_EQ(0, FindIn(BuildZemBytes(CurrentZemFixture())));
}

TEST(FindStreamStart, LeavesTheFileAtTheStart) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.junk = Bytes(77, 0x42);
    CMemoryStream io(BuildZemBytes(fixture));
    io.Seek(5, 0);
    EXPECT_EQ(77, FindStreamStart(&io));
    EXPECT_EQ(77, io.GetPosition());
}

TEST(FindStreamStart, FailureRestoresThePosition) {
    CMemoryStream io(Bytes(5000, 0x42));
    io.Seek(1234, 0);
    EXPECT_EQ(-1, FindStreamStart(&io));
    EXPECT_EQ(1234, io.GetPosition());
}

TEST(FindStreamStart, Id3BlockThenZeroBytes) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.id3 = Id3Block(false, 24);
    ZemFile file = BuildZemFile(fixture);
    ASSERT_EQ(1024u, file.streamStart);
    auto stream = Open(fixture);
    ASSERT_EQ(0, stream->error);
    EXPECT_EQ(1024, stream->Record().junkBytes);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(file.frameOffsets[frame], stream->Get(SeekByte, frame));
    EXPECT_EQ(stream->Record().seekTable[1] + 1024, stream->Get(SeekByte, 1));
}

TEST(FindStreamStart, Id3BlockWithFooterFlagSearchesFrom1010) {
    ZemFixture fixture = CurrentZemFixture();
    fixture.id3 = Id3Block(true, 24);
    EXPECT_EQ(1024, FindIn(BuildZemBytes(fixture)));
}

// Zero bytes behind a block without footer are skipped before the search
// window begins; with the footer flag they count against the window.
TEST(FindStreamStart, ZeroSkippingMovesTheSearchWindow) {
    Bytes prefix = BuildId3v2Prefix(Id3Block(false, 0));
    Bytes bytes = prefix;
    bytes.insert(bytes.end(), 1048600, 0);
    PutText(bytes, "QRB ");
    EXPECT_EQ(1000 + 1048600, FindIn(bytes));

    bytes[5] = 0x10;  // footer flag: the search starts at 1,010
    EXPECT_EQ(-1, FindIn(bytes));
}

TEST(FindStreamStart, ZeroSkippingStopsAtTheFirstOtherByte) {
    Bytes bytes = BuildId3v2Prefix(Id3Block(false, 3));
    bytes.push_back(0x07);
    bytes.insert(bytes.end(), 5, 0);
    PutText(bytes, "QRB ");
    EXPECT_EQ(1009, FindIn(bytes));
}

TEST(FindStreamStart, Id3LengthIsSevenBitsPerByte) {
    Id3v2Prefix id3;
    id3.present = true;
    id3.lengthField = (1u << 21) | (2u << 14) | (3u << 7) | 4u;
    id3.bodyBytes = 0;
    Bytes bytes = BuildId3v2Prefix(id3);
    ASSERT_EQ(0x01, bytes[6]);
    // The high bit of each length byte is ignored.
    bytes[6] |= 0x80;
    bytes[9] |= 0x80;
    const uint32_t start = 10 + id3.lengthField;
    bytes.resize(start, 0x33);
    PutText(bytes, "QRB ");
    EXPECT_EQ(static_cast<int32_t>(start), FindIn(bytes));
}

TEST(FindStreamStart, MagicInsideTheId3BlockIsNotFound) {
    Bytes bytes = BuildId3v2Prefix(Id3Block(false, 0));
    std::copy_n("QRB ", 4, bytes.begin() + 20);
    bytes.insert(bytes.end(), 100, 0x11);
    EXPECT_EQ(-1, FindIn(bytes));
}

TEST(FindStreamStart, SearchWindowIsExactly1048576Steps) {
    EXPECT_EQ(1048576, FindIn(MagicAfter(1048576)));
    EXPECT_EQ(-1, FindIn(MagicAfter(1048577)));
}

TEST(FindStreamStart, MagicAcrossReadChunks) {
    for (size_t offset : {65533u, 65534u, 65535u, 65536u, 131069u})
        EXPECT_EQ(static_cast<int32_t>(offset), FindIn(MagicAfter(offset))) << offset;
}

TEST(FindStreamStart, ShortFiles) {
    EXPECT_EQ(-1, FindIn({}));
    EXPECT_EQ(-1, FindIn(BytesOf("QRB")));
    EXPECT_EQ(0, FindIn(BytesOf("QRB ")));
    // Too short for an ID3v2 block header: searched from the first byte.
    EXPECT_EQ(3, FindIn(BytesOf("ID3QRB ")));
}

TEST(FindStreamStart, Id3BlockLongerThanTheFile) {
    Id3v2Prefix id3;
    id3.present = true;
    id3.lengthField = 0x0FFFFFFF;
    id3.bodyBytes = 10;
    Bytes bytes = BuildId3v2Prefix(id3);
    PutText(bytes, "QRB ");
    EXPECT_EQ(-1, FindIn(bytes));
}
