// SPDX-License-Identifier: BSD-3-Clause
// ID3v1 records: reading them into fields, building them from fields, saving them.
#include "io/memory_stream.h"
#include "tag/tag_block.h"
#include "tests/tag/tag_test_util.h"

#include <gtest/gtest.h>

using namespace zem;

using namespace tag_test;

namespace {

Id3v1Fields FullRecord() {
    Id3v1Fields fields;
    fields.title = "The Title";
    fields.artist = "An Artist";
    fields.album = "Some Album";
    fields.year = "1999";
    fields.comment = "A comment";
    fields.track = 7;
    fields.genre = 17;
    return fields;
}

Bytes Build(CTagBlock& tag) {
    Id3v1Record record;
    EXPECT_EQ(0, tag.BuildId3v1(&record));
    return Bytes(record.bytes, record.bytes + 128);
}

std::string Slot(const Bytes& record, size_t offset, size_t width) {
    return std::string(record.begin() + offset, record.begin() + offset + width);
}

}  // namespace

TEST(Id3v1Read, GivesEveryFieldInImportOrder) {
    CMemoryStream io(Concat({Audio(300), Id3v1(FullRecord())}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(1, tag.HasId3v1());
    EXPECT_EQ(0, tag.HasZemTag());
    EXPECT_EQ(-1, tag.GetZemTagVersion());
    EXPECT_EQ(128, tag.GetTrailingBytes());
    EXPECT_EQ("Artist,Album,Title,Comment,Year,Track,Genre", Names(tag));
    EXPECT_EQ("An Artist", Text(tag, WTXT("Artist")));
    EXPECT_EQ("Some Album", Text(tag, WTXT("Album")));
    EXPECT_EQ("The Title", Text(tag, WTXT("Title")));
    EXPECT_EQ("A comment", Text(tag, WTXT("Comment")));
    EXPECT_EQ("1999", Text(tag, WTXT("Year")));
    EXPECT_EQ("7", Text(tag, WTXT("Track")));
    EXPECT_EQ("Rock", Text(tag, WTXT("Genre")));
}

TEST(Id3v1Read, FieldsFillingTheirWholeWidthAreKeptWhole) {
    Id3v1Fields fields;
    fields.title = std::string(29, 't') + "T";
    fields.artist = std::string(29, 'a') + "A";
    fields.album = std::string(29, 'b') + "B";
    fields.year = "2024";
    fields.comment = std::string(27, 'c') + "C";
    CMemoryStream io(Id3v1(fields));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(fields.title, Text(tag, WTXT("Title")));
    EXPECT_EQ(fields.artist, Text(tag, WTXT("Artist")));
    EXPECT_EQ(fields.album, Text(tag, WTXT("Album")));
    EXPECT_EQ("2024", Text(tag, WTXT("Year")));
    EXPECT_EQ(fields.comment, Text(tag, WTXT("Comment")));
}

TEST(Id3v1Read, TrailingSpacesAndNulsAreCutAndEmptySlotsGiveNoField) {
    Id3v1Fields fields;
    fields.title = std::string("  Spaced  \0 \0 ", 14);
    fields.title.resize(30, ' ');
    fields.artist = std::string(30, ' ');
    CMemoryStream io(Id3v1(fields));
    CTagBlock tag(&io, 1);
    EXPECT_EQ("  Spaced", Text(tag, WTXT("Title")));
    EXPECT_EQ(-1, tag.FindField(WTXT("Artist")));
    EXPECT_EQ(-1, tag.FindField(WTXT("Album")));
    EXPECT_EQ(-1, tag.FindField(WTXT("Year")));
    EXPECT_EQ(-1, tag.FindField(WTXT("Comment")));
    // Track 0 and genre 255 are still stored.
    EXPECT_EQ("Title,Track,Genre", Names(tag));
    EXPECT_EQ("0", Text(tag, WTXT("Track")));
    EXPECT_EQ("Undefined", Text(tag, WTXT("Genre")));
}

TEST(Id3v1Read, CommentOfThirtyBytesGivesTrackFromItsLastByte) {
    Id3v1Fields fields;
    fields.comment = std::string(28, 'x') + "y" + std::string(1, '\x0C');
    CMemoryStream io(Id3v1(fields));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(std::string(28, 'x'), Text(tag, WTXT("Comment")));
    EXPECT_EQ("12", Text(tag, WTXT("Track")));
}

TEST(Id3v1Read, AnsiTextIsStoredAsUtf8AndReadsBackAsWritten) {
    Id3v1Fields fields;
    fields.artist = "Caf\xE9 \x80";  // e acute and the euro sign in the ANSI code page
    CMemoryStream io(Id3v1(fields));
    CTagBlock tag(&io, 1);
    EXPECT_EQ("Caf\xC3\xA9 \xE2\x82\xAC", Text(tag, WTXT("Artist")));
    const CTagItem* item = tag.GetField(WTXT("Artist"));
    ASSERT_NE(nullptr, item);
    EXPECT_EQ("Caf\xC3\xA9 \xE2\x82\xAC",
              std::string(reinterpret_cast<const char*>(item->GetValue()), item->GetValueSize()));
    EXPECT_EQ(0u, item->GetFlags());
}

TEST(Id3v1Read, GenreNumbersMapToNamesOrUndefined) {
    struct Case { uint8_t genre; const char* name; };
    for (Case c : {Case{0, "Blues"}, Case{67, "Psychadelic"}, Case{140, "Contemporary C"},
                   Case{147, "SynthPop"}, Case{148, "Undefined"}, Case{200, "Undefined"},
                   Case{255, "Undefined"}}) {
        Id3v1Fields fields;
        fields.genre = c.genre;
        CMemoryStream io(Id3v1(fields));
        CTagBlock tag(&io, 1);
        EXPECT_EQ(c.name, Text(tag, WTXT("Genre"))) << int(c.genre);
    }
}

TEST(Id3v1Read, RecordHidesAZemTagBeforeIt) {
    Bytes zem = Tag({Item("Title", "Zem Title"), Item("Extra", "x")});
    Id3v1Fields fields;
    fields.title = "Id3 Title";
    CMemoryStream io(Concat({Audio(50), zem, Id3v1(fields)}));
    CTagBlock tag(&io, 1);
    EXPECT_EQ(1, tag.HasId3v1());
    EXPECT_EQ(0, tag.HasZemTag());
    EXPECT_EQ(128, tag.GetTrailingBytes());
    EXPECT_EQ("Id3 Title", Text(tag, WTXT("Title")));
    EXPECT_EQ(-1, tag.FindField(WTXT("Extra")));
}

TEST(Id3v1Read, NoRecordWithoutTheMagicOrInAShortFile) {
    Bytes record = Id3v1(FullRecord());
    record[2] = 'X';
    CMemoryStream wrongMagic(Concat({Audio(10), record}));
    CTagBlock a(&wrongMagic, 1);
    EXPECT_EQ(0, a.HasId3v1());
    EXPECT_EQ(0, a.GetFieldCount());

    Bytes shortFile = Id3v1(FullRecord());
    shortFile.pop_back();
    CMemoryStream tooShort(shortFile);
    CTagBlock b(&tooShort, 1);
    EXPECT_EQ(0, b.HasId3v1());
    EXPECT_EQ(0, b.GetTrailingBytes());

    // Exactly the record and nothing before it is still a record.
    CMemoryStream exact(Id3v1(FullRecord()));
    CTagBlock c(&exact, 1);
    EXPECT_EQ(1, c.HasId3v1());
    EXPECT_EQ(7, c.GetFieldCount());
}

TEST(Id3v1Build, WritesEverySlotAtItsOffsetWithItsWidth) {
    CMemoryStream io;
    CTagBlock tag(&io, 1);
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Title"), Wide(std::string(40, 'T')).c_str()));
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Artist"), WTXT("Artist")));
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Album"), Wide(std::string(30, 'B')).c_str()));
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Year"), WTXT("19999")));
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Comment"), Wide(std::string(29, 'C')).c_str()));
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Track"), WTXT("12")));
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Genre"), WTXT("Contemporary C")));
    Bytes record = Build(tag);
    EXPECT_EQ("TAG", Slot(record, 0, 3));
    EXPECT_EQ(std::string(30, 'T'), Slot(record, 3, 30));
    EXPECT_EQ(std::string("Artist") + std::string(24, '\0'), Slot(record, 33, 30));
    EXPECT_EQ(std::string(30, 'B'), Slot(record, 63, 30));
    EXPECT_EQ("1999", Slot(record, 93, 4));
    EXPECT_EQ(std::string(28, 'C'), Slot(record, 97, 28));
    EXPECT_EQ(0, record[125]);
    EXPECT_EQ(12, record[126]);
    EXPECT_EQ(140, record[127]);
}

TEST(Id3v1Build, MissingFieldsLeaveZerosAndGenre255) {
    CMemoryStream io;
    CTagBlock tag(&io, 1);
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Other"), WTXT("x")));
    Bytes record = Build(tag);
    Bytes expected(128, 0);
    expected[0] = 'T';
    expected[1] = 'A';
    expected[2] = 'G';
    expected[127] = 255;
    EXPECT_EQ(expected, record);
}

TEST(Id3v1Build, TrackIsReadAsADecimalNumberKeepingItsLowByte) {
    struct Case { const char* text; uint8_t track; };
    for (Case c : {Case{"3", 3}, Case{" 04/12", 4}, Case{"+9", 9}, Case{"abc", 0}, Case{"256", 0},
                   Case{"300", 44}, Case{"-1", 255}}) {
        CMemoryStream io;
        CTagBlock tag(&io, 1);
        ASSERT_EQ(0, tag.SetFieldText(WTXT("Track"), Wide(c.text).c_str()));
        EXPECT_EQ(c.track, Build(tag)[126]) << c.text;
    }
}

TEST(Id3v1Build, GenreMatchesANameWithoutRegardToCase) {
    struct Case { const char* text; uint8_t genre; };
    for (Case c : {Case{"jpop", 146}, Case{"Blues", 0}, Case{"PSYCHADELIC", 67},
                   Case{"Undefined", 255}, Case{"Psychedelic", 255}, Case{"", 255}}) {
        CMemoryStream io;
        CTagBlock tag(&io, 1);
        tag.SetFieldText(WTXT("Genre"), Wide(c.text).c_str());
        tag.SetFieldText(WTXT("Title"), WTXT("t"));
        EXPECT_EQ(c.genre, Build(tag)[127]) << c.text;
    }
}

TEST(Id3v1Build, TextsAreWrittenInTheAnsiCodePage) {
    CMemoryStream io;
    CTagBlock tag(&io, 1);
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Artist"), WTXT("Caf\u00E9 \u20AC")));
    EXPECT_EQ(std::string("Caf\xE9 \x80") + std::string(24, '\0'), Slot(Build(tag), 33, 30));
}

TEST(Id3v1Build, ValuesOf255CharactersOrMoreReadAsEmpty) {
    CMemoryStream io;
    CTagBlock tag(&io, 1);
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Title"), Wide(std::string(254, 'a')).c_str()));
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Album"), Wide(std::string(255, 'b')).c_str()));
    Bytes record = Build(tag);
    EXPECT_EQ(std::string(30, 'a'), Slot(record, 3, 30));
    EXPECT_EQ(std::string(30, '\0'), Slot(record, 63, 30));
}

TEST(Id3v1Build, RefusesWithoutRecordOrFields) {
    CMemoryStream io;
    CTagBlock tag(&io, 1);
    Id3v1Record record;
    EXPECT_EQ(-1, tag.BuildId3v1(&record));
    tag.SetFieldText(WTXT("Title"), WTXT("x"));
    EXPECT_EQ(-1, tag.BuildId3v1(nullptr));
}

TEST(Id3v1Save, WritesTheRecordInPlaceOfAllTags) {
    Bytes audio = Audio(200);
    CMemoryStream io(Concat({audio, Tag({Item("Title", "Old")}), Id3v1(FullRecord())}));
    CTagBlock tag(&io, 1);
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Title"), WTXT("New")));
    ASSERT_EQ(0, tag.Save(1));
    Id3v1Fields expected = FullRecord();
    expected.title = "New";
    EXPECT_EQ(Concat({audio, Id3v1(expected)}), io.Bytes());
}

TEST(Id3v1Save, UndefinedGenreRoundTripsAs255) {
    Id3v1Fields fields = FullRecord();
    fields.genre = 255;
    Bytes audio = Audio(10);
    CMemoryStream io(Concat({audio, Id3v1(fields)}));
    CTagBlock tag(&io, 1);
    ASSERT_EQ("Undefined", Text(tag, WTXT("Genre")));
    ASSERT_EQ(0, tag.Save(1));
    EXPECT_EQ(Concat({audio, Id3v1(fields)}), io.Bytes());
    EXPECT_EQ(255, io.Bytes().back());
}

TEST(Id3v1Save, LowerCaseJpopIsSavedAsGenre146) {
    CMemoryStream io(Audio(10));
    CTagBlock tag(&io, 1);
    ASSERT_EQ(0, tag.SetFieldText(WTXT("Genre"), WTXT("jpop")));
    ASSERT_EQ(0, tag.Save(1));
    ASSERT_EQ(138u, io.Bytes().size());
    EXPECT_EQ(146, io.Bytes()[137]);
    CTagBlock reread(&io, 1);
    EXPECT_EQ("JPop", Text(reread, WTXT("Genre")));
}
