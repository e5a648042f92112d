// SPDX-License-Identifier: BSD-3-Clause
// Reads arbitrary bytes as a cue sheet and plans its link files as the job
// does (names, blocks and warnings), without writing them: the reader must
// stay within its limits, and every name the job would write must stay in
// its folder, hold no control character and fit the system's limits.
#include "fuzz/fuzz_input.h"
#include "platform/paths.h"
#include "cue/cue_sheet.h"
#include "cue/link_builder.h"

#include <vector>

using namespace zem;

namespace {

// A folder that does not exist: no image is ever found, nothing is written.
const WCHAR kFolder[] = WTXT("/nonexistent-zem-fuzz/album/");

bool HasForbiddenCharacter(const WString& stem) {
    static const WString kForbidden = WTXT("?\"\\/<>*|:");
    for (WCHAR c : stem) {
        if (c < 32 || kForbidden.find(c) != WString::npos)
            return true;
    }
    return false;
}

// An image path that leaves the folder could name a device or a pipe on
// this machine, which the checks would open: such sheets are read only.
bool StaysInFolder(const WString& image) {
    return image.find_first_of(WTXT("/\\:")) == WString::npos && image.find(WTXT("..")) == WString::npos;
}

void CheckPlan(const WString& text, const WCHAR* naming) {
    const LinkPlan plan = PlanLinksFromText(text, kFolder, naming);
    FUZZ_REQUIRE(plan.links.size() == plan.sheet.tracks.size());
    const WString folder = kFolder;
    for (const PlannedLink& link : plan.links) {
        FUZZ_REQUIRE(link.trackIndex < plan.sheet.tracks.size());
        if (!link.problem.empty())
            continue;
        FUZZ_REQUIRE(link.path.compare(0, folder.size(), folder) == 0);
        const WString name = link.path.substr(folder.size());
        FUZZ_REQUIRE(name.size() >= 4 && name.compare(name.size() - 4, 4, WTXT(".zlk")) == 0);
        const WString stem = name.substr(0, name.size() - 4);
        FUZZ_REQUIRE(!HasForbiddenCharacter(stem));
        FUZZ_REQUIRE(LinkNameLength(stem) <= kMaxLinkNameLength && link.path.size() < kMaxPathChars);
    }
    for (const LinkWarning& warning : plan.warnings)
        FUZZ_REQUIRE(!warning.text.empty() && warning.track >= 0 && warning.track <= kMaxCueTracks + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes)
        return 0;
    const std::vector<uint8_t> bytes = fuzzing::CopyInput(data, size);
    const WString text = DecodeCueSheetBytes(bytes);
    const CueSheet sheet = ParseCueSheetText(text);
    FUZZ_REQUIRE(sheet.tracks.size() <= static_cast<size_t>(kMaxCueTracks));
    FUZZ_REQUIRE(sheet.title.size() <= kMaxCueValueChars && sheet.performer.size() <= kMaxCueValueChars);
    for (size_t index = 0; index < sheet.tracks.size(); ++index) {
        const CueTrack& track = sheet.tracks[index];
        FUZZ_REQUIRE(track.number == static_cast<int32_t>(index) + 1);
        FUZZ_REQUIRE(track.title.size() <= kMaxCueValueChars);
        const WString stem = ExpandNamingTemplate(WTXT("ARTIST - ALBUM - TRACK# - TITLE"), sheet, track);
        FUZZ_REQUIRE(!HasForbiddenCharacter(stem));
        FUZZ_REQUIRE(stem.size() <= kMaxExpandedNameChars + 1);
        CueTimeToBlock(track.start, 44100);
        if (track.finish)
            CueTimeToBlock(*track.finish, 96000);
    }
    if (!StaysInFolder(sheet.imageFile))
        return 0;
    CheckPlan(text, WTXT("ARTIST - ALBUM - TRACK# - TITLE"));
    // Every key twice: values of key words must not grow the names.
    CheckPlan(text, WTXT("TITLE ARTIST ALBUM TRACK# TITLE ARTIST ALBUM TRACK#.zlk"));
    return 0;
}
