// SPDX-License-Identifier: BSD-3-Clause
// Damaged and hostile tags: nothing is read past a buffer, nothing huge is
// allocated, nothing hangs, and the items before the damage survive.
#include "io/memory_stream.h"
#include "tag/tag_block.h"
#include "tests/tag/tag_test_util.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <utility>

using namespace zem;

using namespace tag_test;

namespace {

// A tag whose footer describes the given raw item bytes and count.
Bytes RawTag(const Bytes& items, int32_t count) {
    return Concat({items, Footer(2000, static_cast<int32_t>(items.size()) + 32, count)});
}

// Fails exactly the n-th read (counting from 1); 0 fails none.
class ReadFailingStream : public CMemoryStream {
public:
    ReadFailingStream(std::vector<uint8_t> bytes, int failingRead) : CMemoryStream(std::move(bytes)), m_failingRead(failingRead) {}
    int Read(void* buffer, int32_t bytesToRead, int32_t* bytesRead) override {
        if (++m_reads == m_failingRead) {
            *bytesRead = 0;
            return 1000;
        }
        return CMemoryStream::Read(buffer, bytesToRead, bytesRead);
    }

private:
    int m_failingRead;
    int m_reads = 0;
};

struct Parsed {
    int hasZem;
    std::string names;
};

Parsed ReadAll(const Bytes& file) {
    CMemoryStream io(file);
    CTagBlock tag(&io, 1);
    return {tag.HasZemTag(), Names(tag)};
}

}  // namespace

TEST(ZemHostile, ANegativeValueSizeEndsTheParse) {
    Bytes items = Concat({Item("Good", "1"), ItemWithSize(-5, 0, std::string("Bad\0xxxxxx", 10)), Item("Late", "2")});
    Parsed parsed = ReadAll(RawTag(items, 3));
    EXPECT_EQ(1, parsed.hasZem);
    EXPECT_EQ("Good", parsed.names);
}

TEST(ZemHostile, AValueReachingPastTheBufferEndsTheParse) {
    for (int32_t size : {4, 5, 100, 0x7FFFFFFF}) {
        Bytes items = Concat({Item("Good", "1"), ItemWithSize(size, 0, std::string("Big\0abc", 7))});
        EXPECT_EQ("Good", ReadAll(RawTag(items, 2)).names) << size;
    }
    // The value that exactly fills the rest of the buffer is fine.
    Bytes items = Concat({Item("Good", "1"), ItemWithSize(3, 0, std::string("Big\0abc", 7))});
    EXPECT_EQ("Good,Big", ReadAll(RawTag(items, 2)).names);
}

TEST(ZemHostile, ANameWithoutNulInsideTheItemEndsTheParse) {
    Bytes items = Concat({Item("Good", "1"), ItemWithSize(0, 0, "NoTerminator")});
    EXPECT_EQ("Good", ReadAll(RawTag(items, 2)).names);
    // A NUL exists, but only inside the space the value claims.
    Bytes claimed = Concat({Item("Good", "1"), ItemWithSize(3, 0, std::string("Na\0e", 4))});
    EXPECT_EQ("Good", ReadAll(RawTag(claimed, 2)).names);
}

TEST(ZemHostile, ANameWithUnprintableBytesEndsTheParse) {
    for (char bad : {'\x1F', '\x7F', '\x80', '\xFF'}) {
        Bytes items = Concat({Item("Good", "1"), Item(std::string("Ba") + bad + "d", "2"), Item("Late", "3")});
        EXPECT_EQ("Good", ReadAll(RawTag(items, 3)).names) << int(static_cast<uint8_t>(bad));
    }
    Bytes edges = Concat({Item(" ~", "1")});
    EXPECT_EQ(" ~", ReadAll(RawTag(edges, 1)).names);
}

TEST(ZemHostile, TruncatedItemsEndTheParse) {
    Bytes good = Item("Good", "1");
    Bytes next = Item("Next", "value");
    for (size_t keep = 0; keep < next.size(); ++keep) {
        Bytes items = Concat({good, Bytes(next.begin(), next.begin() + static_cast<std::ptrdiff_t>(keep))});
        EXPECT_EQ("Good", ReadAll(RawTag(items, 2)).names) << keep;
    }
}

TEST(ZemHostile, AHugeItemCountStopsAtTheEndOfTheItems) {
    Bytes items = Concat({Item("A", "1"), Item("B", "2")});
    Parsed parsed = ReadAll(RawTag(items, 65536));
    EXPECT_EQ(1, parsed.hasZem);
    EXPECT_EQ("A,B", parsed.names);
}

TEST(ZemHostile, AFooterSizeBelow32IsRefused) {
    for (int32_t size : {31, 16, 0, -1, -0x7FFFFFFF - 1}) {
        Bytes file = Concat({Audio(100), Footer(2000, size, 1)});
        CMemoryStream io(file);
        CTagBlock tag(&io, 1);
        EXPECT_EQ(0, tag.HasZemTag()) << size;
        EXPECT_EQ(0, tag.GetTrailingBytes()) << size;
        // Not stripped either: there is no tag extent to cut at.
        EXPECT_EQ(0, tag.Remove(0)) << size;
        EXPECT_EQ(file, io.Bytes()) << size;
    }
}

TEST(ZemHostile, AFooterClaimingMoreThanTheFileIsRefusedBeforeAllocating) {
    Bytes items = Item("Title", "x");
    // 16 MiB claimed, a few bytes present: neither read nor stripped.
    Bytes file = Concat({items, Footer(2000, 0x1000000, 1)});
    CMemoryStream io(file);
    CTagBlock tag(&io, 1);
    EXPECT_EQ(0, tag.HasZemTag());
    EXPECT_EQ(0, tag.Remove(0));
    EXPECT_EQ(file, io.Bytes());

    // The header flag adds 32 bytes that are not there.
    Bytes tagBytes = Tag({items}, 2000, 0x80000000u);
    CMemoryStream noHeader(tagBytes);
    CTagBlock headerless(&noHeader, 1);
    EXPECT_EQ(0, headerless.HasZemTag());
    EXPECT_EQ(0, headerless.Remove(0));
    EXPECT_EQ(tagBytes, noHeader.Bytes());
}

TEST(ZemHostile, FailedReadsGiveNoFields) {
    // The first read looks for ID3v1, the second for the footer, the third gets the items.
    Bytes file = Concat({Audio(100), Tag({Item("Title", "Song")})});
    struct Case { int failingRead; int hasZem; int fields; };
    for (Case c : {Case{0, 1, 1}, Case{1, 1, 1}, Case{2, 0, 0}, Case{3, 1, 0}}) {
        ReadFailingStream io(file, c.failingRead);
        CTagBlock tag(&io, 1);
        EXPECT_EQ(c.hasZem, tag.HasZemTag()) << c.failingRead;
        EXPECT_EQ(c.fields, tag.GetFieldCount()) << c.failingRead;
    }
    // A failure on the very first read leaves the later ones alone.
    CMemoryStream io(file);
    io.FailNextReads(1);
    CTagBlock tag(&io, 1);
    EXPECT_EQ(1, tag.GetFieldCount());
}

TEST(ZemHostile, ClosedOrMissingFilesGiveNoTag) {
    CMemoryStream io(Tag({Item("Title", "Song")}));
    io.Close();
    CTagBlock closed(&io, 1);
    EXPECT_EQ(0, closed.GetFieldCount());
    EXPECT_EQ(0, closed.HasZemTag());

    CTagBlock none(static_cast<CStreamIo*>(nullptr), 1);
    EXPECT_EQ(0, none.GetFieldCount());
    EXPECT_EQ(-1, none.Remove(0));
    EXPECT_EQ(0, none.SetFieldText(WTXT("Title"), WTXT("x")));
    EXPECT_EQ(-1, none.Save(0));
}

TEST(ZemHostile, SurvivesEveryMutationOfAValidTag) {
    Bytes base = Concat({Audio(20), Tag({Item("Title", "Song"), Item("Pic", "\x01\x02\x03", 2), Item("Year", "2001")})});
    uint32_t state = 12345;
    for (int round = 0; round < 3000; ++round) {
        Bytes file = base;
        for (int flips = 0; flips < 1 + round % 4; ++flips) {
            state = state * 1103515245u + 12345u;
            size_t at = (state >> 8) % file.size();
            file[at] = static_cast<uint8_t>(state >> 24);
        }
        CMemoryStream io(file);
        CTagBlock tag(&io, 1);
        ASSERT_LE(tag.GetFieldCount(), 3);
        ASSERT_LE(tag.GetTrailingBytes(), static_cast<int>(file.size()));
        for (int index = 0; index < tag.GetFieldCount(); ++index) {
            WCHAR buffer[64];
            int chars = 64;
            tag.GetFieldText(tag.GetField(index)->GetName().c_str(), buffer, &chars);
        }
        ASSERT_EQ(0, tag.Remove(0));
        ASSERT_LE(io.Bytes().size(), file.size());
    }
}
