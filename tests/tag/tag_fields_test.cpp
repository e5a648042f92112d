// SPDX-License-Identifier: BSD-3-Clause
// Finding, reading and changing fields in memory.
#include "io/memory_stream.h"
#include "tag/tag_block.h"
#include "tests/tag/tag_test_util.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zem;

using namespace tag_test;

namespace {

// A block over an empty stream, already analyzed.
struct EmptyTag {
    CMemoryStream io;
    CTagBlock tag{&io, 1};
};

}  // namespace

TEST(TagFields, NamesMatchWithoutRegardToAsciiCaseAndTheFirstWins) {
    EmptyTag t;
    ASSERT_EQ(0, t.tag.SetFieldText(WTXT("Title"), WTXT("a")));
    ASSERT_EQ(0, t.tag.SetFieldText(WTXT("Artist"), WTXT("b")));
    EXPECT_EQ(0, t.tag.FindField(WTXT("TITLE")));
    EXPECT_EQ(1, t.tag.FindField(WTXT("artist")));
    EXPECT_EQ(-1, t.tag.FindField(WTXT("Titles")));
    EXPECT_EQ(-1, t.tag.FindField(nullptr));
    EXPECT_EQ(nullptr, t.tag.GetField(WTXT("none")));
    EXPECT_EQ(nullptr, t.tag.GetField(2));
    EXPECT_EQ(nullptr, t.tag.GetField(-1));
    // Setting under another case replaces the field in place, with the new name.
    ASSERT_EQ(0, t.tag.SetFieldText(WTXT("TITLE"), WTXT("c")));
    EXPECT_EQ("TITLE,Artist", Names(t.tag));
    EXPECT_EQ("c", Text(t.tag, WTXT("title")));
}

TEST(TagFields, SetFieldBytesCopiesValueAndFlags) {
    EmptyTag t;
    const uint8_t value[] = {0, 1, 2, 255};
    ASSERT_EQ(0, t.tag.SetFieldBytes(WTXT("Bin"), value, 4, 6));
    const CTagItem* item = t.tag.GetField(0);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(4, item->GetValueSize());
    EXPECT_EQ(6u, item->GetFlags());
    EXPECT_EQ(0, std::memcmp(value, item->GetValue(), 4));
    EXPECT_EQ(0, item->GetValue()[4]);
    EXPECT_EQ(0, item->GetValue()[5]);
    EXPECT_EQ(-1, t.tag.SetFieldBytes(nullptr, value, 4, 0));
}

TEST(TagFields, RemovalBySetFieldBytes) {
    EmptyTag t;
    const char value[] = "v";
    // Removing a field that does not exist succeeds and adds nothing.
    EXPECT_EQ(0, t.tag.SetFieldBytes(WTXT("A"), nullptr, 1, 0));
    EXPECT_EQ(0, t.tag.SetFieldBytes(WTXT("A"), value, 0, 0));
    EXPECT_EQ(0, t.tag.SetFieldBytes(WTXT("A"), value, -3, 0));
    EXPECT_EQ(0, t.tag.GetFieldCount());
    ASSERT_EQ(0, t.tag.SetFieldBytes(WTXT("A"), value, 1, 0));
    ASSERT_EQ(0, t.tag.SetFieldBytes(WTXT("B"), value, 1, 0));
    EXPECT_EQ(0, t.tag.SetFieldBytes(WTXT("a"), value, 0, 0));
    EXPECT_EQ("B", Names(t.tag));
}

TEST(TagFields, ReadOnlyFieldsGuardOnlySetFieldBytes) {
    EmptyTag t;
    ASSERT_EQ(0, t.tag.SetFieldBytes(WTXT("Locked"), "old", 3, 1));
    EXPECT_EQ(-1, t.tag.SetFieldBytes(WTXT("Locked"), "new", 3, 0));
    EXPECT_EQ(-1, t.tag.SetFieldBytes(WTXT("Locked"), nullptr, 0, 0));
    EXPECT_EQ(-1, t.tag.SetFieldText(WTXT("Locked"), WTXT("new")));
    EXPECT_EQ("old", Text(t.tag, WTXT("Locked")));
    EXPECT_EQ(1u, t.tag.GetField(0)->GetFlags());
    // An empty text removes it regardless.
    EXPECT_EQ(0, t.tag.SetFieldText(WTXT("Locked"), WTXT("")));
    EXPECT_EQ(0, t.tag.GetFieldCount());
}

TEST(TagFields, ReadOnlyOverrideAllowsChanges) {
    EmptyTag t;
    ASSERT_EQ(0, t.tag.SetFieldBytes(WTXT("Locked"), "old", 3, 1));
    t.tag.SetReadOnlyOverride(1);
    EXPECT_EQ(0, t.tag.SetFieldBytes(WTXT("Locked"), "new", 3, 1));
    EXPECT_EQ("new", Text(t.tag, WTXT("Locked")));
    EXPECT_EQ(0, t.tag.SetFieldBytes(WTXT("Locked"), nullptr, 0, 0));
    EXPECT_EQ(0, t.tag.GetFieldCount());
}

TEST(TagFields, EmptyTextOnAMissingFieldFailsAndAddsNothing) {
    EmptyTag t;
    EXPECT_EQ(-1, t.tag.SetFieldText(WTXT("Title"), WTXT("")));
    EXPECT_EQ(-1, t.tag.SetFieldText(WTXT("Title"), nullptr));
    EXPECT_EQ(-1, t.tag.SetFieldTextNarrow(WTXT("Title"), "", 1));
    EXPECT_EQ(-1, t.tag.SetFieldTextNarrow(WTXT("Title"), nullptr, 0));
    EXPECT_EQ(0, t.tag.GetFieldCount());
}

TEST(TagFields, TextIsStoredAsUtf8) {
    EmptyTag t;
    ASSERT_EQ(0, t.tag.SetFieldText(WTXT("A"), WTXT("\u00E9\u20AC")));
    ASSERT_EQ(0, t.tag.SetFieldTextNarrow(WTXT("B"), "\xE9\x80", 0));
    ASSERT_EQ(0, t.tag.SetFieldTextNarrow(WTXT("C"), "\xC3\xA9", 1));
    auto raw = [&](const WCHAR* name) {
        const CTagItem* item = t.tag.GetField(name);
        return std::string(reinterpret_cast<const char*>(item->GetValue()), item->GetValueSize());
    };
    EXPECT_EQ("\xC3\xA9\xE2\x82\xAC", raw(WTXT("A")));
    EXPECT_EQ("\xC3\xA9\xE2\x82\xAC", raw(WTXT("B")));
    EXPECT_EQ("\xC3\xA9", raw(WTXT("C")));
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(0u, t.tag.GetField(index)->GetFlags());
}

TEST(TagFields, NamesTheTagCannotStoreAreRefused) {
    EmptyTag t;
    EXPECT_EQ(-1, t.tag.SetFieldText(WTXT("Caf\u00E9"), WTXT("x")));
    EXPECT_EQ(-1, t.tag.SetFieldText(WTXT("Tab\t"), WTXT("x")));
    EXPECT_EQ(0, t.tag.GetFieldCount());
    EXPECT_EQ(0, t.tag.SetFieldText(WTXT(""), WTXT("x")));
    EXPECT_EQ(1, t.tag.GetFieldCount());
}

TEST(TagFields, The257thDistinctFieldIsRefused) {
    EmptyTag t;
    for (int i = 0; i < CTagBlock::kMaxFields; ++i)
        ASSERT_EQ(0, t.tag.SetFieldText(Wide("F" + std::to_string(i)).c_str(), WTXT("v")));
    EXPECT_EQ(-1, t.tag.SetFieldText(WTXT("One More"), WTXT("v")));
    EXPECT_EQ(-1, t.tag.SetFieldBytes(WTXT("One More"), "v", 1, 0));
    EXPECT_EQ(CTagBlock::kMaxFields, t.tag.GetFieldCount());
    // Existing names can still change, and a freed entry can be reused.
    EXPECT_EQ(0, t.tag.SetFieldText(WTXT("F10"), WTXT("w")));
    EXPECT_EQ(0, t.tag.DeleteField(WTXT("F0")));
    EXPECT_EQ(0, t.tag.SetFieldText(WTXT("One More"), WTXT("v")));
    EXPECT_EQ(CTagBlock::kMaxFields - 1, t.tag.FindField(WTXT("One More")));
}

TEST(TagFields, DeleteFieldMovesLaterFieldsDown) {
    EmptyTag t;
    for (const WCHAR* name : {WTXT("A"), WTXT("B"), WTXT("C"), WTXT("D")})
        t.tag.SetFieldText(name, WTXT("v"));
    EXPECT_EQ(0, t.tag.DeleteField(1));
    EXPECT_EQ("A,C,D", Names(t.tag));
    EXPECT_EQ(0, t.tag.DeleteField(2));
    EXPECT_EQ("A,C", Names(t.tag));
    EXPECT_EQ(-1, t.tag.DeleteField(2));
    EXPECT_EQ(-1, t.tag.DeleteField(-1));
    EXPECT_EQ(0, t.tag.DeleteField(WTXT("a")));
    EXPECT_EQ(-1, t.tag.DeleteField(WTXT("a")));
    EXPECT_EQ("C", Names(t.tag));
    t.tag.ClearFields();
    EXPECT_EQ(0, t.tag.GetFieldCount());
    EXPECT_EQ(nullptr, t.tag.GetField(0));
}

TEST(TagFields, ClearingAnUnreadBlockKeepsTheFileFieldsOut) {
    CMemoryStream io(Tag({Item("Title", "Song")}));
    CTagBlock tag(&io, 0);
    tag.ClearFields();
    tag.SetFieldText(WTXT("Year"), WTXT("1"));
    EXPECT_EQ("Year", Names(tag));
}

TEST(TagFields, SortOrdersByStoredItemSizeKeepingTiesInOrder) {
    EmptyTag t;
    t.tag.SetFieldText(WTXT("Long"), WTXT("123456"));  // 4 + 6 + 9 = 19
    t.tag.SetFieldText(WTXT("Tie1"), WTXT("12"));      // 15
    t.tag.SetFieldText(WTXT("X"), WTXT("1"));          // 11
    t.tag.SetFieldText(WTXT("Tie2"), WTXT("ab"));      // 15
    t.tag.SetFieldText(WTXT("Ti3"), WTXT("abc"));      // 15
    t.tag.SetFieldText(WTXT("U"), WTXT("\u00E9"));     // 1 + 2 + 9 = 12
    t.tag.SortFields();
    EXPECT_EQ("X,U,Tie1,Tie2,Ti3,Long", Names(t.tag));
}

TEST(TagFieldBytes, CopiesWhatFitsAndReportsTheSize) {
    EmptyTag t;
    t.tag.SetFieldBytes(WTXT("Bin"), "\x01\x02\x03", 3, 2);
    uint8_t buffer[8];
    std::memset(buffer, 0xAA, sizeof(buffer));
    int bytes = 3;
    EXPECT_EQ(0, t.tag.GetFieldBytes(WTXT("bin"), buffer, &bytes));
    EXPECT_EQ(3, bytes);
    EXPECT_EQ(0, std::memcmp(buffer, "\x01\x02\x03\xAA", 4));

    std::memset(buffer, 0xAA, sizeof(buffer));
    bytes = 2;
    EXPECT_EQ(-1, t.tag.GetFieldBytes(WTXT("Bin"), buffer, &bytes));
    EXPECT_EQ(3, bytes);
    EXPECT_EQ(0, std::memcmp(buffer, "\x00\x00\xAA", 3));

    std::memset(buffer, 0xAA, sizeof(buffer));
    bytes = 4;
    EXPECT_EQ(-1, t.tag.GetFieldBytes(WTXT("None"), buffer, &bytes));
    EXPECT_EQ(0, bytes);
    EXPECT_EQ(0, std::memcmp(buffer, "\x00\x00\x00\x00\xAA", 5));

    bytes = 0;
    EXPECT_EQ(-1, t.tag.GetFieldBytes(WTXT("Bin"), buffer, &bytes));
    EXPECT_EQ(0, bytes);
}

TEST(TagFieldText, CopiesTheTextWhenItFitsWithItsTerminator) {
    EmptyTag t;
    t.tag.SetFieldText(WTXT("Title"), WTXT("Intro"));
    WCHAR buffer[6];
    int chars = 6;
    EXPECT_EQ(0, t.tag.GetFieldText(WTXT("Title"), buffer, &chars));
    EXPECT_EQ(6, chars);
    EXPECT_EQ(WString(WTXT("Intro")), WString(buffer));
}

TEST(TagFieldText, TooSmallABufferReportsTheNeededCountAndStaysUntouched) {
    EmptyTag t;
    t.tag.SetFieldText(WTXT("Title"), WTXT("Intro"));
    WCHAR buffer[5] = {'x', 'x', 'x', 'x', 'x'};
    int chars = 5;
    EXPECT_EQ(-1, t.tag.GetFieldText(WTXT("Title"), buffer, &chars));
    EXPECT_EQ(6, chars);
    EXPECT_EQ(WCHAR('x'), buffer[0]);
    EXPECT_EQ(WCHAR('x'), buffer[4]);
}

TEST(TagFieldText, MissingFieldOrNoCapacity) {
    EmptyTag t;
    WCHAR buffer[3] = {'x', 'x', 'x'};
    int chars = 3;
    EXPECT_EQ(-1, t.tag.GetFieldText(WTXT("None"), buffer, &chars));
    EXPECT_EQ(0, chars);
    EXPECT_EQ(WCHAR(0), buffer[2]);
    t.tag.SetFieldText(WTXT("Title"), WTXT("x"));
    chars = 0;
    EXPECT_EQ(-1, t.tag.GetFieldText(WTXT("Title"), buffer, &chars));
    EXPECT_EQ(0, chars);
}

TEST(TagFieldText, BinaryWithoutAZemTagIsReadAsUtf8) {
    EmptyTag t;
    t.tag.SetFieldBytes(WTXT("Bin"), "\xC3\xA9", 2, 2);
    EXPECT_EQ("\xC3\xA9", Text(t.tag, WTXT("Bin")));
}

TEST(TagFieldText, BinaryInAVersion2000TagReportsTheCountNeeded) {
    CMemoryStream io(Tag({Item("Bin", "12345", 2), Item("Even", "1234", 4)}));
    CTagBlock tag(&io, 1);
    WCHAR buffer[4];
    int chars = 3;  // 4 bytes of room: one short of the value
    EXPECT_EQ(-1, tag.GetFieldText(WTXT("Bin"), buffer, &chars));
    EXPECT_EQ(4, chars);
    EXPECT_EQ(WCHAR(0), buffer[0]);
    // The reported count is enough.
    EXPECT_EQ(0, tag.GetFieldText(WTXT("Bin"), buffer, &chars));
    EXPECT_EQ(0, std::memcmp(buffer, "12345", 5));
    EXPECT_EQ(WCHAR(0), buffer[3]);

    chars = 2;
    EXPECT_EQ(-1, tag.GetFieldText(WTXT("Even"), buffer, &chars));
    EXPECT_EQ(3, chars);
    EXPECT_EQ(0, tag.GetFieldText(WTXT("Even"), buffer, &chars));
    EXPECT_EQ(3, chars);
    EXPECT_EQ(WCHAR(0), buffer[2]);

    chars = 1;  // no room at all besides the terminator
    EXPECT_EQ(-1, tag.GetFieldText(WTXT("Even"), buffer, &chars));
    EXPECT_EQ(1, chars);
}

TEST(TagFieldTextNarrow, ConvertsToUtf8OrAnsi) {
    EmptyTag t;
    t.tag.SetFieldText(WTXT("A"), WTXT("Caf\u00E9"));
    char buffer[16];
    int length = 15;
    EXPECT_EQ(0, t.tag.GetFieldTextNarrow(WTXT("A"), buffer, &length, 1));
    EXPECT_EQ(5, length);
    EXPECT_STREQ("Caf\xC3\xA9", buffer);
    length = 15;
    EXPECT_EQ(0, t.tag.GetFieldTextNarrow(WTXT("A"), buffer, &length, 0));
    EXPECT_EQ(4, length);
    EXPECT_STREQ("Caf\xE9", buffer);
}

TEST(TagFieldTextNarrow, FailsWhenTheConvertedTextIsLonger) {
    EmptyTag t;
    t.tag.SetFieldText(WTXT("A"), WTXT("Caf\u00E9\u00E9"));  // 5 characters, 7 UTF-8 bytes
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    int length = 6;
    EXPECT_EQ(-1, t.tag.GetFieldTextNarrow(WTXT("A"), buffer, &length, 1));
    EXPECT_EQ(0, length);
    EXPECT_EQ(0, std::memcmp(buffer, "\0\0\0\0\0\0\0x", 8));
    length = 6;
    EXPECT_EQ(0, t.tag.GetFieldTextNarrow(WTXT("A"), buffer, &length, 0));
    EXPECT_EQ(5, length);
    EXPECT_STREQ("Caf\xE9\xE9", buffer);
    length = 7;
    EXPECT_EQ(0, t.tag.GetFieldTextNarrow(WTXT("A"), buffer, &length, 1));
    EXPECT_EQ(7, length);
    EXPECT_STREQ("Caf\xC3\xA9\xC3\xA9", buffer);
}

TEST(TagFieldTextNarrow, AMissingFieldFailsInsteadOfGivingEmptyText) {
    EmptyTag t;
    char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
    int length = 4;
    EXPECT_EQ(-1, t.tag.GetFieldTextNarrow(WTXT("None"), buffer, &length, 1));
    EXPECT_EQ(0, length);
    EXPECT_EQ(0, std::memcmp(buffer, "\0\0\0\0\0", 5));
    t.tag.SetFieldText(WTXT("Long"), WTXT("abcdef"));
    length = 4;
    EXPECT_EQ(-1, t.tag.GetFieldTextNarrow(WTXT("Long"), buffer, &length, 0));
    EXPECT_EQ(0, length);
}
