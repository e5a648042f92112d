// SPDX-License-Identifier: BSD-3-Clause
// Stripping tags from a file's end and writing a fresh ZEM tag.
#include "container/codec_error.h"
#include "io/memory_stream.h"
#include "tag/tag_block.h"
#include "tests/tag/tag_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zem;

using namespace tag_test;

namespace {

// Track = 3 and Title = Intro as written: the smaller item first.
const Bytes kTrackTitleTag = {
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 'T', 'r', 'a', 'c', 'k', 0x00, '3',
    0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 'T', 'i', 't', 'l', 'e', 0x00,
    'I', 'n', 't', 'r', 'o',
    'Z', 'E', 'M', 'T', 'A', 'G', 'E', 'X', 0xD0, 0x07, 0x00, 0x00, 0x42, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0, 0, 0, 0, 0, 0, 0, 0,
};

Bytes SmallId3v1(const std::string& title) {
    Id3v1Fields fields;
    fields.title = title;
    return Id3v1(fields);
}

}  // namespace

TEST(TagSave, TrackAndTitleGiveTheExact66ByteTag) {
    Bytes audio = Audio(77);
    CMemoryStream io(audio);
    io.Seek(5, 0);
    CTagBlock tag(&io, 1);
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Title"), WTXT("Intro")));
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Track"), WTXT("3")));
    ASSERT_EQ(66u, kTrackTitleTag.size());
    EXPECT_EQ(0, tag.Save(0));
    EXPECT_EQ(Concat({audio, kTrackTitleTag}), io.Bytes());
    EXPECT_EQ(5, io.GetPosition());
    // The table itself is sorted; the rest of the state is as before.
    EXPECT_EQ("Track,Title", Names(tag));
    EXPECT_EQ(0, tag.HasZemTag());
    EXPECT_EQ(0, tag.GetTrailingBytes());
}

TEST(TagSave, AFailedStripLeavesTheFieldsInTheirOrder) {
    Bytes file = Concat({Audio(40), Tag({Item("Title", "Intro")})});
    CMemoryStream io(file, true);
    CTagBlock tag(&io, 1);
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Track"), WTXT("3")));
    ASSERT_EQ("Title,Track", Names(tag));
    EXPECT_EQ(-1, tag.Save(0));
    EXPECT_EQ(file, io.Bytes());
    EXPECT_EQ("Title,Track", Names(tag));
}

TEST(TagSave, ReplacesEveryOldTagAndReadsBack) {
    Bytes audio = Audio(300);
    CMemoryStream io(Concat({audio, Tag({Item("Title", "Old"), Item("Keep", "k")}), SmallId3v1("x"),
                             SmallId3v1("y")}));
    CTagBlock tag(&io, 1);
    ASSERT_EQ(1, tag.HasId3v1());
    tag.ClearFields();
    tag.SetFieldText(WTXT("Title"), WTXT("Intro"));
    tag.SetFieldText(WTXT("Track"), WTXT("3"));
    ASSERT_EQ(0, tag.Save(0));
    EXPECT_EQ(Concat({audio, kTrackTitleTag}), io.Bytes());
    CTagBlock reread(&io, 1);
    EXPECT_EQ(66, reread.GetTrailingBytes());
    EXPECT_EQ("Track,Title", Names(reread));
    EXPECT_EQ("Intro", Text(reread, WTXT("Title")));
}

TEST(TagSave, EqualSizesKeepTheirInsertionOrder) {
    CMemoryStream io;
    CTagBlock tag(&io, 1);
    tag.SetFieldText(WTXT("Bb"), WTXT("22"));
    tag.SetFieldText(WTXT("Aa"), WTXT("11"));
    tag.SetFieldText(WTXT("C"), WTXT("333"));
    tag.SetFieldText(WTXT("Z"), WTXT("z"));
    ASSERT_EQ(0, tag.Save(0));
    Bytes expected = Tag({Item("Z", "z"), Item("Bb", "22"), Item("Aa", "11"), Item("C", "333")});
    EXPECT_EQ(expected, io.Bytes());
}

TEST(TagSave, FlagsAndBinaryValuesAreWrittenAsStored) {
    CMemoryStream io;
    CTagBlock tag(&io, 1);
    tag.SetFieldBytes(WTXT("Bin"), "\x00\x01\xFF", 3, 0x7);
    ASSERT_EQ(0, tag.Save(0));
    EXPECT_EQ(Tag({Item("Bin", std::string("\x00\x01\xFF", 3), 0x7)}), io.Bytes());
}

TEST(TagSave, WithoutFieldsRemovesAllTagsAndWritesNothing) {
    Bytes audio = Audio(150);
    CMemoryStream io(Concat({audio, Tag({Item("Title", "Old")}), SmallId3v1("x")}));
    CTagBlock tag(&io, 1);
    tag.ClearFields();
    EXPECT_EQ(0, tag.Save(0));
    EXPECT_EQ(audio, io.Bytes());
}

TEST(TagSave, AnUnreadBlockKeepsTheFileFields) {
    Bytes audio = Audio(40);
    CMemoryStream io(Concat({audio, kTrackTitleTag}));
    CTagBlock tag(&io, 0);
    EXPECT_EQ(0, tag.Save(0));
    EXPECT_EQ(Concat({audio, kTrackTitleTag}), io.Bytes());
}

TEST(TagSave, OlderTagTextIsRewrittenAsUtf8) {
    CMemoryStream io(Concat({Audio(10), Tag({Item("Artist", "Caf\xE9"), Item("Bin", "\xE9", 2)}, 1000)}));
    CTagBlock tag(&io, 1);
    ASSERT_EQ("Caf\xC3\xA9", Text(tag, WTXT("Artist")));
    ASSERT_EQ(0, tag.Save(0));
    CTagBlock reread(&io, 1);
    EXPECT_EQ(2000, reread.GetZemTagVersion());
    EXPECT_EQ("Caf\xC3\xA9", Text(reread, WTXT("Artist")));
    // Binary values are copied as they are.
    ASSERT_NE(nullptr, reread.GetField(WTXT("Bin")));
    EXPECT_EQ(1, reread.GetField(WTXT("Bin"))->GetValueSize());
    EXPECT_EQ(0xE9, reread.GetField(WTXT("Bin"))->GetValue()[0]);
}

TEST(TagSave, ValuesSetAfterReadingAnOlderTagAreNotConvertedTwice) {
    CMemoryStream io(Concat({Audio(10), Tag({Item("Artist", "Caf\xE9")}, 1000)}));
    CTagBlock tag(&io, 1);
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Title"), WTXT("Cr\u00E8me")));
    // The old value still reads from ANSI, the new one from UTF-8.
    EXPECT_EQ("Caf\xC3\xA9", Text(tag, WTXT("Artist")));
    EXPECT_EQ("Cr\xC3\xA8me", Text(tag, WTXT("Title")));
    ASSERT_EQ(0, tag.Save(0));
    CTagBlock reread(&io, 1);
    EXPECT_EQ("Caf\xC3\xA9", Text(reread, WTXT("Artist")));
    EXPECT_EQ("Cr\xC3\xA8me", Text(reread, WTXT("Title")));
}

TEST(TagSave, AShortTagIsNotTakenForAnId3v1RecordOnReadingBack) {
    // "TAG" 128 bytes before the end of the saved file, by chance in the audio.
    Bytes audio(100, 0x42);
    audio[19] = 'T';
    audio[20] = 'A';
    audio[21] = 'G';
    CMemoryStream io(audio);
    {
        CTagBlock tag(&io, 1);
        ASSERT_EQ(0, tag.SetFieldText(WTXT("Title"), WTXT("x")));
        ASSERT_EQ(0, tag.Save(0));
    }
    ASSERT_EQ(100u + 15u + 32u, io.Bytes().size());
    CTagBlock reread(&io, 1);
    EXPECT_EQ(0, reread.HasId3v1());
    EXPECT_EQ(1, reread.HasZemTag());
    EXPECT_EQ(1, reread.GetFieldCount());
    EXPECT_EQ("x", Text(reread, WTXT("Title")));
    // Stripping takes the ZEM tag and leaves the audio whole.
    ASSERT_EQ(0, reread.Remove(0));
    EXPECT_EQ(audio, io.Bytes());
}

TEST(TagSave, ATagTooLargeToReadBackIsRefusedAndTheOldOneKept) {
    Bytes file = Concat({Audio(10), kTrackTitleTag});
    CMemoryStream io(file);
    CTagBlock tag(&io, 1);
    std::string big(0x1000000 - 9 - 3 + 1, 'b');
    ASSERT_EQ(0, tag.SetFieldBytes(WTXT("Big"), big.data(), static_cast<int>(big.size()), 2));
    EXPECT_EQ(-1, tag.Save(0));
    EXPECT_EQ(file, io.Bytes());
    // The limit counts all items together: alone and one byte smaller, it fits.
    tag.DeleteField(WTXT("Track"));
    tag.DeleteField(WTXT("Title"));
    big.pop_back();
    ASSERT_EQ(0, tag.SetFieldBytes(WTXT("Big"), big.data(), static_cast<int>(big.size()), 2));
    EXPECT_EQ(0, tag.Save(0));
    CTagBlock reread(&io, 1);
    EXPECT_EQ(1, reread.GetFieldCount());
}

TEST(TagSave, AFailedWriteIsReported) {
    Bytes file = Concat({Audio(10), kTrackTitleTag});
    CMemoryStream io(file, true);
    CTagBlock tag(&io, 1);
    EXPECT_EQ(-1, tag.Save(0));  // the strip fails first
    EXPECT_EQ(file, io.Bytes());

    CMemoryStream plain(Audio(10), true);
    CTagBlock fresh(&plain, 1);
    fresh.SetFieldText(WTXT("Title"), WTXT("x"));
    EXPECT_EQ(CODEC_WRITE_FAILED, fresh.Save(0));
    EXPECT_EQ(CODEC_WRITE_FAILED, fresh.Save(1));
    EXPECT_EQ(Audio(10), plain.Bytes());
}

TEST(TagRemove, StripsAnyStackOfTagsInAnyOrder) {
    Bytes audio = Audio(500);
    Bytes zem = Tag({Item("Title", "Song")});
    Bytes id3 = SmallId3v1("t");
    for (const Bytes& tail : {Concat({zem, id3}), Concat({id3, zem}), Concat({zem, zem, id3, zem}),
                              Concat({id3, id3, TagWithHeader({Item("A", "1")}), id3})}) {
        CMemoryStream io(Concat({audio, tail}));
        io.Seek(3, 0);
        CTagBlock tag(&io, 0);
        EXPECT_EQ(0, tag.Remove(0));
        EXPECT_EQ(audio, io.Bytes());
        EXPECT_EQ(3, io.GetPosition());
    }
}

TEST(TagRemove, ReanalyzesOnlyWhenAsked) {
    Bytes audio = Audio(60);
    CMemoryStream io(Concat({audio, kTrackTitleTag}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(0, tag.Remove(0));
    EXPECT_EQ(2, tag.GetFieldCount());
    EXPECT_EQ(66, tag.GetTrailingBytes());
    io.Bytes() = Concat({audio, kTrackTitleTag});
    EXPECT_EQ(0, tag.Remove(1));
    EXPECT_EQ(0, tag.GetFieldCount());
    EXPECT_EQ(0, tag.GetTrailingBytes());
    EXPECT_EQ(0, tag.HasZemTag());
}

TEST(TagRemove, AHeaderFlaggedTagGoesWithItsHeader) {
    Bytes audio = Audio(33);
    CMemoryStream io(Concat({audio, TagWithHeader({Item("Title", "Song")})}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(0, tag.Remove(0));
    EXPECT_EQ(audio, io.Bytes());
}

TEST(TagRemove, ABlockMarkedAsHeaderIsStrippedButNotRead) {
    Bytes audio = Audio(33);
    Bytes items = Item("Title", "Song");
    CMemoryStream io(Concat({audio, items, Footer(2000, static_cast<int32_t>(items.size()) + 32, 1, 0x20000000u)}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(0, tag.HasZemTag());
    EXPECT_EQ(0, tag.GetFieldCount());
    EXPECT_EQ(0, tag.Remove(0));
    EXPECT_EQ(audio, io.Bytes());
}

TEST(TagRemove, AHeaderBlockEndingAnId3v1RecordLeavesTheRecordWhole) {
    // The record's last 32 bytes spell a block marked as a header: no ZEM tag
    // ends there, so stripping takes the record that reading found.
    Bytes record = SmallId3v1("x");
    Bytes block = Footer(2000, 32, 0, 0x20000000u);
    std::copy(block.begin(), block.end(), record.end() - 32);
    Bytes audio = Audio(200);
    CMemoryStream io(Concat({audio, record}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(1, tag.HasId3v1());
    EXPECT_EQ(128, tag.GetTrailingBytes());
    EXPECT_EQ("x", Text(tag, WTXT("Title")));
    EXPECT_EQ(0, tag.Remove(0));
    EXPECT_EQ(audio, io.Bytes());
}

TEST(TagRemove, FootersOutsideTheLimitsAreNotStripped) {
    Bytes items = Item("Title", "Song");
    int32_t size = static_cast<int32_t>(items.size()) + 32;
    for (const Bytes& footer : {Footer(2001, size, 1), Footer(2000, size, 65537)}) {
        Bytes file = Concat({Audio(40), items, footer});
        CMemoryStream io(file);
        CTagBlock tag(&io, 0);
        EXPECT_EQ(0, tag.Remove(0));
        EXPECT_EQ(file, io.Bytes());
    }
    // More than 16 MiB of items: the file holds them, but the tag is not ours to cut.
    Bytes huge(0x1000000 + 1, 0);
    Bytes file = Concat({huge, Footer(2000, 0x1000000 + 33, 0)});
    CMemoryStream io(file);
    CTagBlock tag(&io, 0);
    EXPECT_EQ(0, tag.Remove(0));
    EXPECT_EQ(file.size(), io.Bytes().size());
}

TEST(TagRemove, AFileThatIsOnlyATagBecomesEmpty) {
    CMemoryStream onlyZem(kTrackTitleTag);
    CTagBlock zem(&onlyZem, 1);
    EXPECT_EQ(66, zem.GetTrailingBytes());
    EXPECT_EQ(0, zem.Remove(0));
    EXPECT_TRUE(onlyZem.Bytes().empty());

    CMemoryStream onlyId3(SmallId3v1("t"));
    CTagBlock id3(&onlyId3, 1);
    EXPECT_EQ(128, id3.GetTrailingBytes());
    EXPECT_EQ(0, id3.Remove(0));
    EXPECT_TRUE(onlyId3.Bytes().empty());

    CMemoryStream emptyTag(Footer(2000, 32, 0));
    CTagBlock empty(&emptyTag, 1);
    EXPECT_EQ(1, empty.HasZemTag());
    EXPECT_EQ(0, empty.Remove(0));
    EXPECT_TRUE(emptyTag.Bytes().empty());
}

TEST(TagRemove, AFailedTruncationIsReported) {
    Bytes file = Concat({Audio(200), Tag({Item("Title", "Song")}), SmallId3v1("x")});
    CMemoryStream io(file, true);
    CTagBlock tag(&io, 1);
    EXPECT_EQ(-1, tag.Remove(1));
    EXPECT_EQ(file, io.Bytes());
    // No reanalysis after a failure: the fields read before stay.
    EXPECT_EQ("x", Text(tag, WTXT("Title")));
}
