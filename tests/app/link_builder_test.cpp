// SPDX-License-Identifier: BSD-3-Clause
// The link build job: block arithmetic, naming, the bytes of a ZLK file, and
// whole jobs read back through the decoder factory.
#include "cue/link_builder.h"

#include "container/info_id.h"
#include "decode/decoder.h"
#include "decode/decoder_factory.h"
#include "link/link_file.h"
#include "tag/tag_block.h"
#include "tag/tag_item.h"
#include "tests/app/text_shorthand.h"
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <string>

using namespace zem;

using namespace testing_support;

namespace {

TEST(CueTimeToBlock, DoublePrecisionOrderAndLimits) {
    const struct {
        int32_t minutes, seconds, frames, rate, expected;
    } cases[] = {
        {0, 2, 33, 44100, 107604},
        {0, 39, 2, 44100, 1721075},  // one short of the exact 1721076
        {3, 25, 40, 44100, 9064020},
        {2, 15, 26, 96000, 12993280},
        {0, 0, 0, 48000, 0},
        {0, 0, 74, 75, 74},
        {-1, 0, 0, 44100, -2646000},
        {811, 0, 0, 44100, 2145906000},
        {812, 0, 0, 44100, INT32_MAX},  // about 13.5 hours: held at the 32-bit limit
        {INT32_MAX, 0, 0, 44100, INT32_MAX},
        {INT32_MIN, 0, 0, 44100, INT32_MIN},
        {5, 0, 0, 0, 0},
    };
    for (const auto& test : cases) {
        CueTime time{test.minutes, test.seconds, test.frames};
        EXPECT_EQ(test.expected, CueTimeToBlock(time, test.rate))
            << test.minutes << ":" << test.seconds << ":" << test.frames << " at " << test.rate;
    }
}

CueTrack Track(const char* performer, const char* title, const char* number) {
    CueTrack track;
    track.performer = W(performer);
    track.title = W(title);
    track.numberText = W(number);
    return track;
}

TEST(NamingTemplate, ReplacementOrderExtensionAndForbiddenCharacters) {
    CueSheet sheet;
    sheet.title = W("Tallowmere");
    const struct {
        const char* naming;
        CueTrack track;
        const char* expected;
    } cases[] = {
        {"ARTIST - ALBUM - TRACK# - TITLE", Track("Corvane", "Wrenfall", "09"), "Corvane - Tallowmere - 09 - Wrenfall"},
        {"ARTIST - TITLE", Track("Corvane", "Why? A/B: C", "01"), "Corvane - Why- A-B- C"},
        {"(TRACK#) TITLE", Track("x", "<q>|*\"\\", "12"), "(12) -q-----"},
        {"dir\\TITLE", Track("", "t", "01"), "dir-t"},
        {"TITLE\t", Track("", "Open\r\n  INDEX 01 \x1b[2J\x07\x01", "01"), "Open--  INDEX 01 -[2J---"},
        {"ARTIST", Track("\x1f \x7f", "", "01"), "- \x7f"},
        {"TITLE.zlk", Track("", "t", "01"), "t"},
        {"TITLE.ZLK", Track("", "t", "01"), "t.ZLK"},
        // Inserted values are never searched for keys.
        {"ARTIST", Track("THE TITLE BAND", "Song", "01"), "THE TITLE BAND"},
        {"ARTIST - ALBUM", Track("TITLE FIGHT", "x", "01"), "TITLE FIGHT - Tallowmere"},
        {"TITLE", Track("", "ARTIST", "01"), "ARTIST"},
        {"TITLE", Track("", "My ALBUM", "01"), "My ALBUM"},
        {"artist TITLETITLE", Track("a", "TITLE", "01"), "artist TITLETITLE"},
        {"TIARTISTTLE", Track("", "x", "01"), "TITLE"},  // nor is text that an empty value joins
        {"", Track("a", "b", "01"), ""},
        {".zlk", Track("a", "b", "01"), ""},
        {" TITLE. ", Track("", "..", "01"), " ... "},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.expected, U(ExpandNamingTemplate(W(test.naming), sheet, test.track))) << test.naming;
}

// A file of the shared inputs beside the project (or at their usual place).
std::filesystem::path SharedFile(const std::string& relative) {
    std::filesystem::path beside = std::filesystem::path(ZEM_SOURCE_DIR) / ".." / "shared" / relative;
    return std::filesystem::exists(beside) ? beside : std::filesystem::path("/work/shared") / relative;
}

// Performers and titles made of the template's key words: each name is the
// values once, not values expanded inside values (which ran to millions of
// characters), and a name the system cannot take fails alone, at once.
TEST(NamingTemplate, KeyWordValuesAreNotExpandedAgain) {
    const WString text = ReadCueSheetText(ToWide(SharedFile("repro/template-blowup.cue")).c_str());
    const CueSheet sheet = ParseCueSheetText(text);
    ASSERT_EQ(10u, sheet.tracks.size());
    for (const CueTrack& track : sheet.tracks) {
        WString expected = track.performer + WTXT(" - ") + sheet.title + WTXT(" - ") + track.numberText +
                           WTXT(" - ") + track.title;
        expected.resize(std::min(expected.size(), kMaxExpandedNameChars + 1));
        EXPECT_EQ(U(expected), U(ExpandNamingTemplate(W("ARTIST - ALBUM - TRACK# - TITLE"), sheet, track)));
    }
    TempDir dir;
    WriteFileBytes(dir.File("blowup.cue"), ReadFileBytes(SharedFile("repro/template-blowup.cue")));
    LinkBuildResult result = BuildLinkFiles(dir.WideFile("blowup.cue").c_str(), WTXT("ARTIST - TITLE"));
    EXPECT_EQ(10u, result.failed.size());
    EXPECT_TRUE(result.written.empty());
}

// Only Windows limits the whole path; on Linux the name limit comes first.
#ifdef _WIN32
TEST(NamingTemplate, NameBeyondTheSystemLimitFailsForItsTrackAlone) {
    TempDir dir;
    // Track 1's path is 259 characters, the most the file layer takes; track 2's one more.
    const std::string title(MAX_PATH - 1 - ToWide(dir.Path()).size() - 1 - 3 - 4, 'x');
    WriteFileBytes(dir.File("a.cue"), BytesOf("TRACK 01 AUDIO\nTITLE \"" + title + "\"\nTRACK 02 AUDIO\n"
                                              "TITLE \"" + title + "x\"\n"));
    LinkBuildResult result = BuildLinkFiles(dir.WideFile("a.cue").c_str(), WTXT("TRACK# TITLE"));
    EXPECT_EQ(std::vector<WString>{dir.WideFile("01 " + title + ".zlk")}, result.written);
    ASSERT_EQ(1u, result.failed.size());
    EXPECT_EQ(2, result.failed[0].track);
    EXPECT_EQ(0u, U(result.failed[0].reason).find("track 02: the name '02 " + std::string(57, 'x') +
                                                  "....zlk' is too long ("))
        << U(result.failed[0].reason);
}
#endif

TEST(CueSheetFolder, UpToLastSeparator) {
    EXPECT_EQ("C:\\Music\\", U(CueSheetFolder(W("C:\\Music\\a.cue"))));
    EXPECT_EQ("", U(CueSheetFolder(W("a.cue"))));
    EXPECT_EQ("", U(CueSheetFolder(W(""))));
}

// The four fields a ZEM tag holds for Corvane's track 9, smallest item first.
Bytes CorvaneTag() {
    Bytes tag;
    const struct {
        const char* name;
        const char* value;
    } items[] = {{"Track", "09"}, {"Artist", "Corvane"}, {"Title", "Wrenfall"}, {"Album", "Tallowmere"}};
    for (const auto& item : items) {
        PutU32(tag, static_cast<uint32_t>(std::string(item.value).size()));
        PutU32(tag, 0);
        PutText(tag, item.name);
        tag.push_back(0);
        PutText(tag, item.value);
    }
    const uint32_t itemBytes = static_cast<uint32_t>(tag.size());
    PutText(tag, "ZEMTAGEX");
    PutU32(tag, 2000);
    PutU32(tag, itemBytes + 32);
    PutU32(tag, 4);
    PutU32(tag, 0x40000000);
    tag.resize(tag.size() + 8, 0);
    return tag;
}

const char kCorvaneSheet[] =
    "PERFORMER \"Corvane\"\r\nTITLE \"Tallowmere\"\r\nFILE \"Tallowmere.zem\" WAVE\r\n"
    "  TRACK 01 AUDIO\r\n    TITLE \"Wrenfall\"\r\n    INDEX 01 00:39:02\r\n"
    "  TRACK 02 AUDIO\r\n    TITLE \"Second\"\r\n    INDEX 00 03:01:00\r\n    INDEX 01 03:25:40\r\n";

class LinkJob : public ::testing::Test {
protected:
    WString WriteSheet(const std::string& text, const std::string& name = "album.cue") {
        WriteFileBytes(dir.File(name), BytesOf(text));
        return dir.WideFile(name);
    }
    void Build(const WString& sheet, const char* naming) {
        CLinkBuilder builder;
        EXPECT_EQ(1, builder.BuildLinks(sheet.c_str(), W(naming).c_str()));
    }
    std::set<std::string> FileNames() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.insert(entry.path().filename().u8string());
        return names;
    }
    std::string Text(const std::string& name) const {
        Bytes bytes = ReadFileBytes(dir.File(name));
        return std::string(bytes.begin(), bytes.end());
    }
    TempDir dir;
};

TEST_F(LinkJob, WholeFileByteForByte) {
    Build(WriteSheet(kCorvaneSheet), "TRACK# - TITLE");
    std::string text = "[Quillon Image Link File]\r\nImage File=Tallowmere.zem\r\nStart Block=1721075\r\n"
                       "Finish Block=9064020\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
    Bytes expected = BytesOf(text);
    Bytes tag = CorvaneTag();
    // This sheet's track is number 01; the expected tag above is for track 09.
    tag[8 + 6 + 1] = '1';
    expected.insert(expected.end(), tag.begin(), tag.end());
    EXPECT_EQ(std::string(expected.begin(), expected.end()), Text("01 - Wrenfall.zlk"));
    EXPECT_NE(std::string::npos, Text("02 - Second.zlk").find("Start Block=9064020\r\nFinish Block=-1\r\n"));
    EXPECT_EQ((std::set<std::string>{"album.cue", "01 - Wrenfall.zlk", "02 - Second.zlk"}), FileNames());
}

TEST_F(LinkJob, TemplateExampleGivesItsFileName) {
    std::string sheet = "PERFORMER \"Corvane\"\nTITLE \"Tallowmere\"\nFILE \"T.zem\" WAVE\n";
    for (int number = 1; number <= 9; ++number)
        sheet += "TRACK 0" + std::to_string(number) + " AUDIO\nTITLE \"" + (number == 9 ? "Wrenfall" : "t") +
                 std::to_string(number) + "\"\nINDEX 01 0" + std::to_string(number) + ":00:00\n";
    Build(WriteSheet(sheet), "ARTIST - ALBUM - TRACK# - TITLE");
    EXPECT_EQ(1u, FileNames().count("Corvane - Tallowmere - 09 - Wrenfall9.zlk"));
    Bytes bytes = ReadFileBytes(dir.File("Corvane - Tallowmere - 09 - Wrenfall9.zlk"));
    EXPECT_EQ(9u + 2 + 1, FileNames().size() + 2);  // the sheet and nine links
}

TEST_F(LinkJob, ReplacesExistingFilesAndKeepsTheLastOfEqualNames) {
    WriteFileBytes(dir.File(".zlk"), Bytes(5000, 'x'));
    Build(WriteSheet(kCorvaneSheet), "");
    EXPECT_EQ((std::set<std::string>{"album.cue", ".zlk"}), FileNames());
    std::string text = Text(".zlk");
    EXPECT_EQ(0u, text.find("[Quillon Image Link File]\r\nImage File=Tallowmere.zem\r\nStart Block=9064020\r\n"));
    EXPECT_EQ(std::string::npos, text.find('x'));
}

TEST_F(LinkJob, TrackWithoutTitlePerformerOrAlbumGetsOnlyItsNumber) {
    Build(WriteSheet("TRACK 01 AUDIO\n"), "x");
    std::string expected = "[Quillon Image Link File]\r\nImage File=\r\nStart Block=0\r\nFinish Block=-1\r\n"
                           "\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
    Bytes tag;
    PutU32(tag, 2);
    PutU32(tag, 0);
    PutText(tag, std::string("Track\0", 6) + "01ZEMTAGEX");
    for (uint32_t word : {2000u, 16u + 32u, 1u, 0x40000000u, 0u, 0u})
        PutU32(tag, word);
    EXPECT_EQ(expected + std::string(tag.begin(), tag.end()), Text("x.zlk"));
}

TEST_F(LinkJob, SheetsWithoutTracksWriteNothing) {
    WString folder = ToWide(dir.Path());
    for (const WString& path : {dir.WideFile("missing.cue"), folder, WriteSheet("TRACK 1 AUDIO\n", "one.cue")})
        Build(path, "TITLE");
    EXPECT_EQ((std::set<std::string>{"one.cue"}), FileNames());
}

// A header whose text puts "TAG" exactly 128 bytes before the end of the
// marker line must still be followed by exactly the track's tag.
TEST_F(LinkJob, HeaderThatLooksLikeId3v1StaysWhole) {
    std::string image;
    for (size_t pad = 0; pad < 200 && image.empty(); ++pad) {
        std::string candidate = "TAG" + std::string(pad, 'b') + ".zem";
        WString header = FormatLinkHeader(W(candidate), 0, std::nullopt);
        size_t tagAt = U(header).find("TAG");
        if (header.size() + 41 - tagAt == 128)
            image = candidate;
    }
    ASSERT_FALSE(image.empty());
    Build(WriteSheet("PERFORMER \"P\"\nFILE \"" + image + "\" WAVE\nTRACK 01 AUDIO\nTITLE \"T\"\n"), "link");
    std::string text = Text("link.zlk");
    std::string head = U(FormatLinkHeader(W(image), 0, std::nullopt)) + "\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
    ASSERT_EQ(0u, text.find(head));
    EXPECT_EQ(128u, head.size() - head.find("TAG"));

    CTagBlock tag(dir.WideFile("link.zlk").c_str(), 1);
    EXPECT_EQ(1, tag.HasZemTag());
    EXPECT_EQ(0, tag.HasId3v1());
    EXPECT_EQ(4, tag.GetFieldCount());  // Artist, Title, Track and the album title "T"
    EXPECT_EQ(static_cast<int>(text.size() - head.size()), tag.GetTrailingBytes());
    CLinkFile link;
    link.ReadLinkFile(dir.WideFile("link.zlk").c_str());
    EXPECT_EQ(1, link.IsValid());
}

TEST_F(LinkJob, NonAsciiImageNameIsWrittenInTheAnsiCodePage) {
    Build(WriteSheet("FILE \"Caf\xE9.zem\" WAVE\nTRACK 01 AUDIO\n"), "x");
    EXPECT_EQ(0u, Text("x.zlk").find("[Quillon Image Link File]\r\nImage File=Caf\xE9.zem\r\n"));
    CLinkFile link;
    link.ReadLinkFile(dir.WideFile("x.zlk").c_str());
    ASSERT_EQ(1, link.IsValid());
    EXPECT_EQ(U(dir.WideFile("Caf\xC3\xA9.zem")), U(link.GetImagePath()));
}

// The job's links opened through the decoder factory against a real image:
// its rate sets the blocks, and each link opens its own track with its tag.
TEST_F(LinkJob, LinksOpenTheirTracksThroughTheFactory) {
    ZemFixture fixture = CurrentZemFixture(3990);
    fixture.sampleRate = 48000;
    WriteFileBytes(dir.File("disc.zem"), BuildZemBytes(fixture));
    Build(WriteSheet("PERFORMER \"P\"\nTITLE \"Disc\"\nFILE \"disc.zem\" WAVE\n"
                     "TRACK 01 AUDIO\nTITLE \"One\"\nINDEX 01 00:00:00\n"
                     "TRACK 02 AUDIO\nTITLE \"Two\"\nINDEX 01 00:01:30\n"
                     "TRACK 03 AUDIO\nTITLE \"Three\"\nINDEX 01 00:02:37\n"),
          "TRACK#");
    const struct {
        const char* file;
        int32_t start, finish;
        const char* title;
    } cases[] = {{"01.zlk", 0, 67200, "One"}, {"02.zlk", 67200, 119679, "Two"}, {"03.zlk", 119679, -1, "Three"}};
    const int32_t total = static_cast<int32_t>(FixtureTotalBlocks(fixture));
    for (const auto& test : cases) {
        CLinkFile link;
        link.ReadLinkFile(dir.WideFile(test.file).c_str());
        ASSERT_EQ(1, link.IsValid()) << test.file;
        EXPECT_EQ(test.start, link.GetStartBlock()) << test.file;
        EXPECT_EQ(test.finish, link.GetFinishBlock()) << test.file;
        int error = -7;
        std::unique_ptr<CDecoder> decoder = OpenDecoder(dir.WideFile(test.file).c_str(), &error);
        ASSERT_TRUE(decoder) << test.file << " error " << error;
        EXPECT_EQ(48000, decoder->GetInfo(SampleRate));
        int32_t finish = test.finish < 0 ? total : test.finish;
        EXPECT_EQ(finish - test.start, decoder->GetInfo(DecoderTotalBlocks)) << test.file;
        auto* tag = reinterpret_cast<CTagBlock*>(static_cast<intptr_t>(decoder->GetInfo(Tag)));
        ASSERT_NE(nullptr, tag);
        CTagItem* title = tag->GetField(WTXT("Title"));
        ASSERT_NE(nullptr, title);
        EXPECT_EQ(test.title, std::string(reinterpret_cast<const char*>(title->GetValue()), title->GetValueSize()));
    }
}

// An image in a folder below the sheet: the job counts blocks at its rate and
// the link opens it from any working folder, as both resolve it beside the link.
TEST_F(LinkJob, ImageInASubfolderOpensThroughTheLink) {
    ZemFixture fixture = CurrentZemFixture(3990);
    fixture.sampleRate = 48000;
    std::filesystem::create_directory(dir.Path() / "img");
    WriteFileBytes(dir.Path() / "img" / "disc.zem", BuildZemBytes(fixture));
    Build(WriteSheet("FILE \"img/disc.zem\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:01:00\n"), "TRACK#");
    EXPECT_EQ(0u, Text("01.zlk").find("[Quillon Image Link File]\r\nImage File=img/disc.zem\r\nStart Block=48000\r\n"));
    int error = -7;
    std::unique_ptr<CDecoder> decoder = OpenDecoder(dir.WideFile("01.zlk").c_str(), &error);
    ASSERT_TRUE(decoder) << error;
    EXPECT_EQ(48000, decoder->GetInfo(SampleRate));
}

// The job hands its warnings back as data (what zemtool prints is their text)
// and writes the files all the same.
TEST_F(LinkJob, WarningsComeBackByKindAndTrack) {
    LinkBuildResult result = BuildLinkFiles(
        WriteSheet("FILE \"gone.zem\" WAVE\nTRACK 01 AUDIO\nTITLE \"A\"\nINDEX 01 00:00:00\n"
                   "TRACK 02 AUDIO\nTITLE \"A\"\nINDEX 01 00:00:00\n").c_str(),
        WTXT("TITLE"));
    std::vector<std::pair<LinkWarningKind, int32_t>> kinds;
    for (const LinkWarning& warning : result.warnings)
        kinds.emplace_back(warning.kind, warning.track);
    EXPECT_EQ((std::vector<std::pair<LinkWarningKind, int32_t>>{{LinkWarningKind::MissingImage, 0},
                                                                {LinkWarningKind::EmptyRange, 1},
                                                                {LinkWarningKind::NameCollision, 2}}),
              kinds);
    EXPECT_EQ(std::vector<WString>({dir.WideFile("A.zlk"), dir.WideFile("A.zlk")}), result.written);
}

// A sheet's FILE line naming a network or device path is not opened (nor
// looked at): a warning says so, unless the caller allows such paths. (The
// reader keeps a name's part after its last backslash, so only '/' reaches.)
TEST_F(LinkJob, NetworkImagePathsAreRefusedWithAWarning) {
    for (const char* image : {"//host/share/disc.zem", "//?/C:/disc.zem", "//./C:/disc.zem"}) {
        const WString sheet = WriteSheet(std::string("FILE \"") + image + "\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:01:00\n");
#ifdef _WIN32
        const bool settings[] = {false};  // allowed, the job would go out to the network
#else
        const bool settings[] = {false, true};
#endif
        for (bool allowed : settings) {
            LinkJobOptions options;
            options.allowRemotePaths = allowed;
            LinkPlan plan = PlanLinkFiles(sheet.c_str(), WTXT("TRACK#"), options);
            ASSERT_EQ(1u, plan.warnings.size()) << image;
            EXPECT_EQ(allowed ? LinkWarningKind::MissingImage : LinkWarningKind::RemoteImage, plan.warnings[0].kind)
                << image;
            EXPECT_EQ(44100, plan.links.at(0).startBlock) << image;
        }
    }
}

TEST(ImageSampleRate, FallsBackTo44100) {
    TempDir dir;
    ZemFixture fixture = CurrentZemFixture(3990);
    fixture.sampleRate = 96000;
    WriteFileBytes(dir.File("a.zem"), BuildZemBytes(fixture));
    WriteFileBytes(dir.File("a.wav"), BytesOf("RIFF....WAVEfmt "));
    EXPECT_EQ(96000, GetImageSampleRate(dir.WideFile("a.zem").c_str()));
    EXPECT_EQ(44100, GetImageSampleRate(dir.WideFile("a.wav").c_str()));
    EXPECT_EQ(44100, GetImageSampleRate(dir.WideFile("missing.zem").c_str()));
    EXPECT_EQ(44100, GetImageSampleRate(WTXT("")));
}

}  // namespace
