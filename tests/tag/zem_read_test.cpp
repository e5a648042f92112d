// SPDX-License-Identifier: BSD-3-Clause
// Reading ZEM tags: footer checks, item parsing and how items become fields.
#include "io/memory_stream.h"
#include "tag/tag_block.h"
#include "tests/tag/tag_test_util.h"

#include <gtest/gtest.h>

using namespace zem;

using namespace tag_test;

namespace {
constexpr int32_t kSixteenMiB = 0x1000000;

std::string Value(const CTagItem* item) {
    if (!item)
        return "<none>";
    return std::string(reinterpret_cast<const char*>(item->GetValue()), item->GetValueSize());
}
}  // namespace

TEST(ZemRead, ReadsItemsWithTheirFlagsAndCountsTheTagBytes) {
    Bytes tagBytes = Tag({Item("Artist", "Someone"), Item("Title", "Song", 1), Item("Data", "\x01\x02", 2)});
    CMemoryStream io(Concat({Audio(100), tagBytes}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(1, tag.HasZemTag());
    EXPECT_EQ(2000, tag.GetZemTagVersion());
    EXPECT_EQ(0, tag.HasId3v1());
    EXPECT_EQ(static_cast<int>(tagBytes.size()), tag.GetTrailingBytes());
    EXPECT_EQ("Artist,Title,Data", Names(tag));
    EXPECT_EQ("Someone", Value(tag.GetField(0)));
    EXPECT_EQ(1u, tag.GetField(1)->GetFlags());
    EXPECT_EQ(2u, tag.GetField(2)->GetFlags());
    EXPECT_EQ("\x01\x02", Value(tag.GetField(2)));
    // Two zero bytes always follow a value.
    EXPECT_EQ(0, tag.GetField(0)->GetValue()[7]);
    EXPECT_EQ(0, tag.GetField(0)->GetValue()[8]);
}

TEST(ZemRead, RestoresTheFilePositionAndStartsUnanalyzedWhenAsked) {
    CMemoryStream io(Concat({Audio(100), Tag({Item("Title", "Song")})}));
    io.Seek(37, 0);
    CTagBlock tag(&io, 0);
    EXPECT_EQ(37, io.GetPosition());
    // The first query reads the tag.
    EXPECT_EQ(0, tag.FindField(WTXT("title")));
    EXPECT_EQ(37, io.GetPosition());
}

TEST(ZemRead, ReadTagsDiscardsFieldsMadeInMemory) {
    CMemoryStream io(Concat({Audio(10), Tag({Item("Title", "Song")})}));
    CTagBlock tag(&io, 1);
    tag.SetFieldText(WTXT("Extra"), WTXT("x"));
    tag.SetFieldText(WTXT("Title"), WTXT("Changed"));
    EXPECT_EQ(0, tag.ReadTags());
    EXPECT_EQ("Title", Names(tag));
    EXPECT_EQ("Song", Text(tag, WTXT("Title")));
}

TEST(ZemRead, TagWithHeaderCountsTheHeaderInItsExtent) {
    Bytes tagBytes = TagWithHeader({Item("Title", "Song"), Item("Track", "2")});
    CMemoryStream io(Concat({Audio(64), tagBytes}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(1, tag.HasZemTag());
    EXPECT_EQ(static_cast<int>(tagBytes.size()), tag.GetTrailingBytes());
    EXPECT_EQ(32 + 18 + 15 + 32, tag.GetTrailingBytes());
    EXPECT_EQ("Title,Track", Names(tag));
}

TEST(ZemRead, FootersOutsideTheLimitsAreIgnoredAsAWhole) {
    Bytes items = Concat({Item("Title", "Song")});
    int32_t size = static_cast<int32_t>(items.size()) + 32;
    struct Case { const char* what; Bytes footer; };
    Case cases[] = {
        {"version 2001", Footer(2001, size, 1)},
        {"65537 items", Footer(2000, size, 65537)},
        {"header mark", Footer(2000, size, 1, 0x20000000u)},
        {"bad magic", [&] { Bytes f = Footer(2000, size, 1); f[7] = 'Y'; return f; }()},
    };
    for (const Case& c : cases) {
        CMemoryStream io(Concat({Audio(40), items, c.footer}));
        CTagBlock tag(&io, 1);
        EXPECT_EQ(0, tag.HasZemTag()) << c.what;
        EXPECT_EQ(-1, tag.GetZemTagVersion()) << c.what;
        EXPECT_EQ(0, tag.GetTrailingBytes()) << c.what;
        EXPECT_EQ(0, tag.GetFieldCount()) << c.what;
    }
}

TEST(ZemRead, FootersAtTheLimitsAreRead) {
    Bytes items = Concat({Item("Title", "Song")});
    int32_t size = static_cast<int32_t>(items.size()) + 32;
    CMemoryStream io(Concat({items, Footer(2000, size, 65536, 0x40000000u | 0x10000000u)}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(1, tag.HasZemTag());
    EXPECT_EQ("Song", Text(tag, WTXT("Title")));
}

TEST(ZemRead, ItemBytesOf16MiBAreTheLargestRead) {
    std::string value(kSixteenMiB - 9 - 4, 'v');
    Bytes items = Item("Blob", value, 2);
    ASSERT_EQ(static_cast<size_t>(kSixteenMiB), items.size());
    CMemoryStream io(Tag({items}));
    CTagBlock tag(&io, 1);
    ASSERT_EQ(1, tag.GetFieldCount());
    EXPECT_EQ(static_cast<int32_t>(value.size()), tag.GetField(0)->GetValueSize());

    items.push_back(0);  // one byte too many
    CMemoryStream tooBig(Concat({items, Footer(2000, kSixteenMiB + 33, 1)}));
    CTagBlock refused(&tooBig, 1);
    EXPECT_EQ(0, refused.HasZemTag());
    EXPECT_EQ(0, refused.GetFieldCount());
}

TEST(ZemRead, OlderVersionsAreReadAndTheirTextIsAnsi) {
    CMemoryStream io(Concat({Audio(8), Tag({Item("Artist", "Caf\xE9")}, 1000)}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(1000, tag.GetZemTagVersion());
    EXPECT_EQ("Caf\xC3\xA9", Text(tag, WTXT("Artist")));
}

TEST(ZemRead, Version2000TextIsUtf8) {
    CMemoryStream io(Tag({Item("Artist", "Caf\xC3\xA9 \xE2\x82\xAC")}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ("Caf\xC3\xA9 \xE2\x82\xAC", Text(tag, WTXT("Artist")));
}

TEST(ZemRead, ARepeatedNameReplacesTheFirstValueInPlace) {
    CMemoryStream io(Tag({Item("Title", "First"), Item("Artist", "A"), Item("TITLE", "Second")}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ("TITLE,Artist", Names(tag));
    EXPECT_EQ("Second", Text(tag, WTXT("Title")));
}

TEST(ZemRead, AReadOnlyItemIsNotReplacedByALaterOne) {
    CMemoryStream io(Tag({Item("Title", "Kept", 1), Item("Title", "Dropped"), Item("Year", "1")}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ("Title,Year", Names(tag));
    EXPECT_EQ("Kept", Text(tag, WTXT("Title")));
}

TEST(ZemRead, AnEmptyItemStoresNothingAndRemovesAnEarlierOne) {
    CMemoryStream io(Tag({Item("Title", "Gone"), Item("Empty", ""), Item("Title", ""), Item("Year", "1")}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ("Year", Names(tag));
}

TEST(ZemRead, OnlyTheFootersItemCountIsRead) {
    Bytes items = Concat({Item("A", "1"), Item("B", "2"), Item("C", "3")});
    int32_t size = static_cast<int32_t>(items.size()) + 32;
    for (int32_t count : {0, 2, -1}) {
        CMemoryStream io(Concat({items, Footer(2000, size, count)}));
        CTagBlock tag(&io, 1);
        EXPECT_EQ(1, tag.HasZemTag());
        EXPECT_EQ(count == 2 ? "A,B" : "", Names(tag)) << count;
    }
}

TEST(ZemRead, FieldsBeyondTheTableAreIgnoredButRepeatsStillReplace) {
    std::vector<Bytes> items;
    for (int i = 0; i < 300; ++i)
        items.push_back(Item("F" + std::to_string(i), std::to_string(i)));
    items.push_back(Item("f3", "replaced"));
    CMemoryStream io(Tag(items));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(CTagBlock::kMaxFields, tag.GetFieldCount());
    EXPECT_EQ("F255", testing_support::Utf8FromWide(tag.GetField(255)->GetName()));
    EXPECT_EQ(-1, tag.FindField(WTXT("F256")));
    EXPECT_EQ("replaced", Text(tag, WTXT("F3")));
    EXPECT_EQ(3, tag.FindField(WTXT("F3")));
}

TEST(ZemRead, NonTextValuesOfVersion2000AreHandedOutAsRawBytes) {
    CMemoryStream io(Tag({Item("Pic", std::string("\x41\x00\x42\x00\x43", 5), 2),
                          Item("Link", std::string("\x44\x00", 2), 4)}));
    CTagBlock tag(&io, 1);
    WCHAR buffer[8];
    int chars = 8;
    EXPECT_EQ(0, tag.GetFieldText(WTXT("Pic"), buffer, &chars));
    EXPECT_EQ(WCHAR('A'), buffer[0]);
    EXPECT_EQ(WCHAR('B'), buffer[1]);
    EXPECT_EQ(WCHAR('C'), buffer[2]);  // the odd byte, zero-extended
    EXPECT_EQ(WCHAR(0), buffer[3]);
    EXPECT_EQ(4, chars);
    chars = 8;
    EXPECT_EQ(0, tag.GetFieldText(WTXT("Link"), buffer, &chars));
    EXPECT_EQ(WCHAR('D'), buffer[0]);
    EXPECT_EQ(WCHAR(0), buffer[1]);
    EXPECT_EQ(2, chars);
}

TEST(ZemRead, NonTextValuesOfOlderVersionsAreReadAsText) {
    CMemoryStream io(Tag({Item("Pic", "Caf\xE9", 2)}, 1999));
    CTagBlock tag(&io, 1);
    EXPECT_EQ("Caf\xC3\xA9", Text(tag, WTXT("Pic")));
}
