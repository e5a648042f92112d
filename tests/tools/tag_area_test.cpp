// SPDX-License-Identifier: BSD-3-Clause
// The strict reading of a file's tag area, where a stream's audio ends, and
// the write that puts the old tag back when it fails.
#include "io/memory_stream.h"
#include "tests/support/zem_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tag/tag_area.h"
#include "tag/tag_area_rewrite.h"
#include "tag/tag_stream_end.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zem;

namespace tool_tests {
namespace {

using testing_support::Bytes;
using testing_support::BytesOf;
using testing_support::Concat;

void PutLe32(Bytes& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A tag with one field changed in its footer (offset from the footer's start).
Bytes PatchedFooter(Bytes tag, size_t offset, uint32_t value) {
    PutLe32(tag, tag.size() - 32 + offset, value);
    return tag;
}

// The same tag behind a 32-byte header (flag bit 31 in the footer).
Bytes WithHeader(const Bytes& tag, uint32_t headerFlags) {
    Bytes header(tag.end() - 32, tag.end());
    PutLe32(header, 20, headerFlags);
    return PatchedFooter(Concat(header, tag), 20, 0xC0000000u);
}

const Bytes kTag = RawZemTag({{"Title", BytesOf("T")}});
const Bytes kRecord = Id3v1Bytes(Id3v1Fields{"Song", "", "", "", "", 1, 2});

struct AreaCase {
    const char* what;
    Bytes tail;
    size_t zemBytes;  // of a readable area
    size_t id3v1Bytes;
    const char* problem;  // the start of the refusal, or "" when the area is read
};

TEST(TagAreaTest, ReadsWholeTagsAndRefusesWhatItCannotKeep) {
    const Bytes twoItems = RawZemTag({{"Title", BytesOf("T")}, {"Album", BytesOf("A")}});
    const AreaCase cases[] = {
        {"no tag", {}, 0, 0, ""},
        {"ZEM tag", kTag, kTag.size(), 0, ""},
        {"ID3v1 record", kRecord, 0, 128, ""},
        {"ZEM tag, then record", Concat(kTag, kRecord), kTag.size(), 128, ""},
        {"ZEM tag with header", WithHeader(kTag, 0xA0000000u), kTag.size() + 32, 0, ""},
        {"header not marked", WithHeader(kTag, 0x80000000u), 0, 0, "its ZEM tag's header is damaged"},
        {"version 2001", RawZemTag({{"Title", BytesOf("T")}}, 2001), 0, 0, "its ZEM tag's footer is damaged"},
        {"size into the audio", PatchedFooter(kTag, 12, 600), 0, 0, "its ZEM tag claims 600 bytes"},
        {"bad name byte", RawZemTag({{"Ti\x01le", BytesOf("T")}}), 0, 0, "item 1 of its ZEM tag is damaged"},
        {"empty item", RawZemTag({{"Title", {}}}), 0, 0, "item 1 of its ZEM tag ('Title') is empty"},
        {"bytes behind the items", PatchedFooter(twoItems, 16, 1), 0, 0, "its ZEM tag has 15 bytes behind"},
        {"repeated name", RawZemTag({{"Title", BytesOf("a")}, {"title", BytesOf("b")}}), 0, 0,
         "its ZEM tag holds 2 items, of which only 1"},
        {"older text with NUL", RawZemTag({{"Title", Bytes{'a', 0, 'b'}}}, 1000), 0, 0, "item 1 of its ZEM tag ('Title') holds text"},
        {"two ZEM tags", Concat(kTag, kTag), 0, 0, "it ends in more tags"},
        {"record, then ZEM tag", Concat(kRecord, kTag), 0, 0, "it ends in more tags"},
    };
    const Bytes audio = testing_support::BuildZemBytes(testing_support::CurrentZemFixture());
    for (const AreaCase& c : cases) {
        CMemoryStream io(Concat(audio, c.tail));
        io.Seek(7, 0);
        TagArea area;
        const std::string problem = ReadTagArea(io, StreamAudioEnd(io), &area);
        EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << c.what << ": " << problem;
        EXPECT_EQ(io.GetPosition(), 7) << c.what;
        if (*c.problem)
            continue;
        EXPECT_EQ(area.start, static_cast<int64_t>(audio.size())) << c.what;
        EXPECT_EQ(area.zemTag.size(), c.zemBytes) << c.what;
        EXPECT_EQ(area.id3v1.size(), c.id3v1Bytes) << c.what;
        EXPECT_EQ(area.Bytes(), c.tail) << c.what;
    }
}

TEST(TagAreaTest, StreamShorterThanItsHeaderSaysIsRefused) {
    Bytes audio = testing_support::BuildZemBytes(testing_support::CurrentZemFixture());
    audio.resize(audio.size() - 1);
    CMemoryStream io(audio);
    TagArea area;
    EXPECT_EQ(ReadTagArea(io, StreamAudioEnd(io), &area).rfind("it is shorter than its stream header says", 0), 0u);
}

TEST(TagAreaTest, AudioEndsBehindTheFramesAndTheWaveTrailer) {
    testing_support::ZemFixture current = testing_support::CurrentZemFixture();
    current.id3.present = true;
    current.id3.lengthField = 90;
    current.terminatingData = Bytes(5, 0x33);
    testing_support::ZemFixture old = testing_support::OldZemFixture();
    old.terminatingData = Bytes(3, 0x44);
    for (const testing_support::ZemFixture& fixture : {current, old}) {
        const testing_support::ZemFile file = testing_support::BuildZemFile(fixture);
        CMemoryStream io(Concat(file.bytes, kTag));
        // Older headers say only where the last frame begins.
        const int64_t framesEnd = fixture.version >= 3980 ? file.terminatingStart : file.frameOffsets.back();
        EXPECT_EQ(StreamAudioEnd(io), framesEnd + static_cast<int64_t>(fixture.terminatingData.size()))
            << fixture.version;
    }
    CMemoryStream link(Concat(LinkText("image.zem", 0, 10), kTag));
    EXPECT_EQ(StreamAudioEnd(link), 0);
}

// Writes go to memory until `capacity` bytes are in the file; the rest of a
// write fails as it would on a full disk.
class SmallDisk : public CMemoryStream {
public:
    SmallDisk(testing_support::Bytes bytes, size_t capacity) : CMemoryStream(std::move(bytes)), m_capacity(capacity) {}
    int Write(const void* buffer, int32_t count, int32_t* written) override {
        const int64_t room = static_cast<int64_t>(m_capacity) - GetPosition();
        const int32_t fits = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(room, count)));
        CMemoryStream::Write(buffer, fits, written);
        return fits == count ? 0 : 1001;
    }

private:
    size_t m_capacity;
};

TEST(TagAreaTest, FailedWritePutsTheOldBytesBack) {
    const Bytes audio(100, 0x5A);
    const Bytes before = Concat(audio, kTag);
    const Bytes larger = RawZemTag({{"Title", BytesOf("a much longer title")}});
    SmallDisk full(before, before.size() + 10);
    EXPECT_EQ(ReplaceTagArea(full, 100, kTag, larger), ReplaceResult::Restored);
    EXPECT_EQ(full.Bytes(), before);
    SmallDisk roomy(before, 1000);
    roomy.Seek(3, 0);
    EXPECT_EQ(ReplaceTagArea(roomy, 100, kTag, larger), ReplaceResult::Done);
    EXPECT_EQ(roomy.Bytes(), Concat(audio, larger));
    EXPECT_EQ(roomy.GetPosition(), 3);
}

}  // namespace
}  // namespace tool_tests
