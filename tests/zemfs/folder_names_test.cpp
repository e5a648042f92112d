// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/folder_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zemfs {
namespace {

using Kind = SourceKind;
using Role = MountRole;

struct Expected {
    std::string name;
    Role role;
    std::string source;
};

struct NamesCase {
    const char* what;
    std::vector<SourceEntry> sources;
    std::vector<Expected> shown;  // sorted by name
};

class FolderNamesTest : public testing::TestWithParam<NamesCase> {};

TEST_P(FolderNamesTest, MapsEachSourceEntry) {
    const NamesCase& c = GetParam();
    const std::vector<MountEntry> shown = MapFolder(c.sources);
    ASSERT_EQ(shown.size(), c.shown.size()) << c.what;
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].name, c.shown[i].name) << c.what;
        EXPECT_EQ(shown[i].role, c.shown[i].role) << c.what << ": " << shown[i].name;
        EXPECT_EQ(shown[i].source, c.shown[i].source) << c.what << ": " << shown[i].name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderNamesTest,
    testing::Values(
        NamesCase{"each kind alone",
                  {{"a.zem", Kind::Stream}, {"b.zlk", Kind::Link}, {"c.cue", Kind::CueSheet, true},
                   {"cover.jpg", Kind::Other}, {"sub", Kind::Folder}, {"d.QRB", Kind::Stream}},
                  {{"a.wav", Role::Wave, "a.zem"}, {"b.wav", Role::Wave, "b.zlk"}, {"c", Role::CueFolder, "c.cue"},
                   {"cover.jpg", Role::Plain, "cover.jpg"}, {"d.wav", Role::Wave, "d.QRB"},
                   {"sub", Role::Folder, "sub"}}},
        NamesCase{"a cue sheet without its image is shown as itself",
                  {{"x.cue", Kind::CueSheet, false}},
                  {{"x.cue", Role::Plain, "x.cue"}}},
        NamesCase{"an image carrying a sheet gives a WAV and a folder",
                  {{"x.zem", Kind::Stream, false, true}},
                  {{"x", Role::ImageCueFolder, "x.zem"}, {"x.wav", Role::Wave, "x.zem"}}},
        NamesCase{"a stream and a link of one stem keep their extensions",
                  {{"x.zem", Kind::Stream}, {"x.zlk", Kind::Link}, {"y.zem", Kind::Stream}},
                  {{"x.zem.wav", Role::Wave, "x.zem"}, {"x.zlk.wav", Role::Wave, "x.zlk"},
                   {"y.wav", Role::Wave, "y.zem"}}},
        NamesCase{"a real WAV file keeps its name, the stream moves aside",
                  {{"x.wav", Kind::Other}, {"x.zem", Kind::Stream}},
                  {{"x.wav", Role::Plain, "x.wav"}, {"x.zem.wav", Role::Wave, "x.zem"}}},
        NamesCase{"a cue folder and an image's folder of one name",
                  {{"x.cue", Kind::CueSheet, true}, {"x.zem", Kind::Stream, false, true}},
                  {{"x.cue", Role::CueFolder, "x.cue"}, {"x.wav", Role::Wave, "x.zem"},
                   {"x.zem", Role::ImageCueFolder, "x.zem"}}},
        NamesCase{"a real folder keeps its name, the cue folder moves aside",
                  {{"x", Kind::Folder}, {"x.cue", Kind::CueSheet, true}},
                  {{"x", Role::Folder, "x"}, {"x.cue", Role::CueFolder, "x.cue"}}},
        NamesCase{"a made name that meets a kept one after moving aside is left out",
                  {{"x.wav", Kind::Other}, {"x.zem", Kind::Stream}, {"x.zem.wav", Kind::Other}},
                  {{"x.wav", Role::Plain, "x.wav"}, {"x.zem.wav", Role::Plain, "x.zem.wav"}}},
        NamesCase{"folders from empty and dot stems keep their sources' names",
                  {{".cue", Kind::CueSheet, true}, {"..cue", Kind::CueSheet, true}, {"...cue", Kind::CueSheet, true},
                   {"..zem", Kind::Stream, false, true}, {"....cue", Kind::CueSheet, true}},
                  {{"...", Role::CueFolder, "....cue"}, {"...cue", Role::CueFolder, "...cue"},
                   {"..cue", Role::CueFolder, "..cue"}, {"..wav", Role::Wave, "..zem"},
                   {"..zem", Role::ImageCueFolder, "..zem"}, {".cue", Role::CueFolder, ".cue"}}}));

struct KindCase {
    const char* name;
    bool folder;
    SourceKind kind;
};

TEST(FolderNamesTest, KindByLastExtensionWithoutCase) {
    const KindCase cases[] = {{"a.zem", false, Kind::Stream}, {"a.ZeM", false, Kind::Stream},
                              {"a.qrb", false, Kind::Stream}, {"a.zlk", false, Kind::Link},
                              {"a.CUE", false, Kind::CueSheet}, {"a.zem.txt", false, Kind::Other},
                              {"zem", false, Kind::Other},     {"a.zem", true, Kind::Folder}};
    for (const KindCase& c : cases)
        EXPECT_EQ(KindOfName(c.name, c.folder), c.kind) << c.name;
}

TEST(FolderNamesTest, TrackNamesTakeWavForZlk) {
    EXPECT_EQ(TrackFileName("Corvane - Tallowmere - 09 - Wrenfall.zlk"), "Corvane - Tallowmere - 09 - Wrenfall.wav");
    EXPECT_EQ(TrackFileName(".zlk"), ".wav");
    EXPECT_EQ(TrackFileName("odd.ZLK"), "odd.ZLK.wav");
}

}  // namespace
}  // namespace zemfs
