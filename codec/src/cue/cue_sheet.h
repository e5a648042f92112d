// SPDX-License-Identifier: BSD-3-Clause
// Reading a cue sheet into the album's fields and its audio tracks. The reader
// is no full cue sheet parser: it finds each piece by a plain, case-sensitive
// substring search for a fixed key anywhere in the text and takes the text
// that follows the key, which is what decides the titles, performers and times
// that the link files receive.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zem {

// Minutes, seconds and frames of 1/75 second, as written (no range check).
struct CueTime {
    int32_t minutes = 0;
    int32_t seconds = 0;
    int32_t frames = 0;
};

struct CueTrack {
    int32_t number = 0;
    WString numberText;  // two digits at least: 01 to 09, then 10, 11, ...
    WString title;
    WString performer;   // the performer in force for this track
    CueTime start;
    std::optional<CueTime> finish;  // absent for the last track
};

struct CueSheet {
    WString performer;
    WString title;
    WString imageFile;  // the FILE value after its last backslash
    std::vector<CueTrack> tracks;
};

// Bounds that keep hostile files from costing unbounded memory or time; real
// cue sheets stay far below them. A larger file reads as holding no tracks, a
// longer value is cut, and no track beyond the last number is looked for.
constexpr int32_t kMaxCueSheetBytes = 1024 * 1024;
constexpr size_t kMaxCueValueChars = 1024;
constexpr int32_t kMaxCueTracks = 999;

// Never fails: a file that cannot be opened or read, or that holds no
// TRACK 01 AUDIO, gives a sheet without tracks.
CueSheet ReadCueSheet(const WCHAR* path);

// The steps of ReadCueSheet on their own: the file's text (empty when it
// cannot be read), its decoding and the search for the keys.
WString ReadCueSheetText(const WCHAR* path);
WString DecodeCueSheetBytes(const std::vector<uint8_t>& bytes);
CueSheet ParseCueSheetText(const WString& text);
// The text from `index` up to the next double quote (or the end of the text).
WString ExtractQuotedValue(const WString& text, size_t index);
CueTime ParseCueTime(const WString& value);

}  // namespace zem
