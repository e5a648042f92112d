// SPDX-License-Identifier: BSD-3-Clause
// The job on real cue sheets written by rippers and people for other
// projects, read in place from the shared corpus and run in a private folder.
#include "cue/link_builder.h"

#include "link/link_file.h"
#include "tag/tag_block.h"
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>

using namespace zem;

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

fs::path CorpusFolder() {
    for (fs::path candidate : {fs::path(ZEM_SOURCE_DIR) / ".." / "shared" / "corpus" / "cues",
                               fs::path("/work/shared/corpus/cues")}) {
        if (fs::is_directory(candidate))
            return candidate;
    }
    return fs::path();
}

// Sheets whose name ends in _zem48k or _zem96k name a ZEM image of that rate.
uint32_t DerivedImageRate(const std::string& name) {
    std::smatch match;
    static const std::regex kRate("_zem(\\d+)k\\.cue$");
    return std::regex_search(name, match, kRate) ? static_cast<uint32_t>(std::stoul(match[1])) * 1000 : 0;
}

struct SheetRun {
    CueSheet sheet;
    std::map<std::string, Bytes> links;  // file name -> bytes
    std::set<std::string> outside;       // anything that appeared beside the album folder
};

SheetRun RunJob(const fs::path& cue, const WCHAR* naming) {
    TempDir dir;
    fs::path album = dir.Path() / "album";
    fs::create_directory(album);
    fs::path copy = album / cue.filename();
    WriteFileBytes(copy, ReadFileBytes(cue));
    SheetRun run;
    run.sheet = ReadCueSheet(ToWide(copy).c_str());
    if (uint32_t rate = DerivedImageRate(cue.filename().u8string())) {
        ZemFixture fixture = CurrentZemFixture(3990);
        fixture.sampleRate = rate;
        WriteFileBytes(album / fs::u8path(Utf8FromWide(run.sheet.imageFile)), BuildZemBytes(fixture));
    }
    CLinkBuilder builder;
    EXPECT_EQ(1, builder.BuildLinks(ToWide(copy).c_str(), naming));
    for (const auto& entry : fs::directory_iterator(album)) {
        if (entry.path().extension() == ".zlk")
            run.links[entry.path().filename().u8string()] = ReadFileBytes(entry.path());
    }
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        if (entry.path() != album)
            run.outside.insert(entry.path().filename().u8string());
    }
    return run;
}

std::string LinkText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(LinkCorpus, EverySheetGivesReadableLinksInsideItsFolder) {
    fs::path corpus = CorpusFolder();
    if (corpus.empty())
        GTEST_SKIP() << "shared cue sheet corpus not found";
    int sheets = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        if (entry.path().extension() != ".cue")
            continue;
        ++sheets;
        SCOPED_TRACE(entry.path().filename().u8string());
        // Track numbers alone give every track a short name of its own.
        SheetRun run = RunJob(entry.path(), WTXT("TRACK#"));
        EXPECT_TRUE(run.outside.empty());
        EXPECT_EQ(run.sheet.tracks.size(), run.links.size());
        for (const auto& [name, bytes] : run.links) {
            CLinkFile link;
            link.ParseLinkText(LinkText(bytes).c_str(), nullptr);
            EXPECT_EQ(1, link.IsValid()) << name;
            EXPECT_NE(std::string::npos, LinkText(bytes).find("\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n"));
        }
    }
    EXPECT_GE(sheets, 40);
}

// A few sheets with values worked out by hand.
TEST(LinkCorpus, KnownValues) {
    fs::path corpus = CorpusFolder();
    if (corpus.empty())
        GTEST_SKIP() << "shared cue sheet corpus not found";
    const struct {
        const char* sheet;
        const char* link;
        const char* expected;  // a piece of the link file's text
    } cases[] = {
        // INDEX 01 02:15:26 at the image's 96000 per second.
        {"whipper_breeders_zem96k.cue", "THE BREEDERS - MOUNTAIN BATTLES - 02 - BANG ON.zlk",
         "Image File=data.zem\r\nStart Block=12993280\r\n"},
        // The same sheet naming a WAV image counts 44100 per second: 135 s and 26 frames.
        {"whipper_breeders.cue", "THE BREEDERS - MOUNTAIN BATTLES - 02 - BANG ON.zlk",
         "Image File=data.wav\r\nStart Block=5968788\r\n"},
        {"libcue_99_tracks.cue", "Nine Inch Nails - Broken - 02 - Wish.zlk",
         "Image File=dummy.wav\r\nStart Block=2785356\r\nFinish Block=12784296\r\n"},
        {"swiftcue_hydra_bom_zem48k.cue", "MYTH&ROID - HYDRA - 01 - HYDRA.zlk",
         "Image File=MYTH&ROID - HYDRA.zem\r\nStart Block=0\r\n"},
    };
    for (const auto& test : cases) {
        SheetRun run = RunJob(corpus / test.sheet, WTXT("ARTIST - ALBUM - TRACK# - TITLE"));
        ASSERT_EQ(1u, run.links.count(test.link)) << test.sheet;
        EXPECT_NE(std::string::npos, LinkText(run.links[test.link]).find(test.expected)) << test.sheet;
    }
    EXPECT_EQ(99u, RunJob(corpus / "libcue_99_tracks.cue", WTXT("ARTIST - ALBUM - TRACK# - TITLE")).links.size());
}

}  // namespace
