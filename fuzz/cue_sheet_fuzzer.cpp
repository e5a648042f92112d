// Reads arbitrary bytes as a cue sheet and names every track's link file:
// the reader must stay within its limits and no name may leave its folder.
#include "fuzz/fuzz_input.h"
#include "tessarine/app/cue_sheet.h"
#include "tessarine/app/link_builder.h"

#include <vector>

namespace {

bool HasForbiddenCharacter(const WString& stem) {
    static const WString kForbidden = WTXT("?\"\\/<>*|:");
    return stem.find_first_of(kForbidden) != WString::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes)
        return 0;
    const std::vector<uint8_t> bytes = fuzzing::CopyInput(data, size);
    const CueSheet sheet = ParseCueSheetText(DecodeCueSheetBytes(bytes));
    FUZZ_REQUIRE(sheet.tracks.size() <= static_cast<size_t>(kMaxCueTracks));
    FUZZ_REQUIRE(sheet.title.size() <= kMaxCueValueChars && sheet.performer.size() <= kMaxCueValueChars);
    for (size_t index = 0; index < sheet.tracks.size(); ++index) {
        const CueTrack& track = sheet.tracks[index];
        FUZZ_REQUIRE(track.number == static_cast<int32_t>(index) + 1);
        FUZZ_REQUIRE(track.title.size() <= kMaxCueValueChars);
        const WString stem = ExpandNamingTemplate(WTXT("ARTIST - ALBUM - TRACK# - TITLE"), sheet, track);
        FUZZ_REQUIRE(!HasForbiddenCharacter(stem));
        CueTimeToBlock(track.start, 44100);
        if (track.finish)
            CueTimeToBlock(*track.finish, 96000);
    }
    return 0;
}
