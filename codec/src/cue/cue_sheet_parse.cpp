// SPDX-License-Identifier: BSD-3-Clause
// Finding the album fields and the tracks in a cue sheet's text.
#include "cue/cue_sheet.h"

#include "io/decimal_text.h"
#include "cue/key_index.h"

#include <algorithm>

namespace zem {

namespace {

struct SheetKeys {
    explicit SheetKeys(const WString& text)
        : performer(text, WTXT("PERFORMER \"")), title(text, WTXT("TITLE \"")), file(text, WTXT("FILE \"")),
          index01(text, WTXT("INDEX 01 ")) {}
    KeyIndex performer;
    KeyIndex title;
    KeyIndex file;
    KeyIndex index01;
};

// The quoted value of the first occurrence of the key at or after `from`.
std::optional<WString> ValueAtOrAfter(const WString& text, const KeyIndex& key, size_t from) {
    size_t at = key.FirstAtOrAfter(from);
    if (at == KeyIndex::npos)
        return std::nullopt;
    return ExtractQuotedValue(text, at + key.KeyLength());
}

WString AfterLastBackslash(const WString& value) {
    size_t slash = value.rfind(WCHAR('\\'));
    return slash == WString::npos ? value : value.substr(slash + 1);
}

WString NumberText(int32_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() == 1)
        digits.insert(digits.begin(), '0');
    return WString(digits.begin(), digits.end());
}

// start and finish from the INDEX 01 keys at or after the track's position.
void ReadTrackTimes(const WString& text, const KeyIndex& index01, size_t position, CueTrack* track) {
    size_t start = index01.FirstAtOrAfter(position);
    if (start != KeyIndex::npos)
        track->start = ParseCueTime(ExtractQuotedValue(text, start + index01.KeyLength()));
    // Without a start the search for the finish begins at the text's start.
    size_t finish = index01.FirstAtOrAfter(start == KeyIndex::npos ? 0 : start + 1);
    if (finish == KeyIndex::npos)
        return;
    WString value = ExtractQuotedValue(text, finish + index01.KeyLength());
    if (!value.empty())
        track->finish = ParseCueTime(value);
}

}  // namespace

WString ExtractQuotedValue(const WString& text, size_t index) {
    if (index >= text.size())
        return WString();
    size_t quote = text.find(WCHAR('"'), index);
    size_t end = quote == WString::npos ? text.size() : quote;
    return text.substr(index, std::min(end - index, kMaxCueValueChars));
}

CueTime ParseCueTime(const WString& value) {
    // Each field is read as atoi reads it, which stops at the colon anyway;
    // exactly three characters are dropped after minutes and after seconds.
    WString rest = value;
    CueTime time;
    time.minutes = ParseWideDecimalNumber(rest.c_str());
    rest.erase(0, std::min<size_t>(3, rest.size()));
    time.seconds = ParseWideDecimalNumber(rest.c_str());
    rest.erase(0, std::min<size_t>(3, rest.size()));
    time.frames = ParseWideDecimalNumber(rest.c_str());
    return time;
}

CueSheet ParseCueSheetText(const WString& text) {
    SheetKeys keys(text);
    CueSheet sheet;
    sheet.performer = ValueAtOrAfter(text, keys.performer, 0).value_or(WString());
    sheet.title = ValueAtOrAfter(text, keys.title, 0).value_or(WString());
    sheet.imageFile = AfterLastBackslash(ValueAtOrAfter(text, keys.file, 0).value_or(WString()));

    std::vector<size_t> positions = FindTrackKeys(text, kMaxCueTracks);
    WString performer = sheet.performer;
    for (int32_t number = 1; number <= kMaxCueTracks && positions[number] != KeyIndex::npos; ++number) {
        size_t position = positions[number];
        CueTrack track;
        track.number = number;
        track.numberText = NumberText(number);
        track.title = ValueAtOrAfter(text, keys.title, position).value_or(WString());
        // A performer found below this track stays in force for the next ones.
        if (std::optional<WString> override = ValueAtOrAfter(text, keys.performer, position))
            performer = *override;
        track.performer = performer;
        ReadTrackTimes(text, keys.index01, position, &track);
        sheet.tracks.push_back(std::move(track));
    }
    return sheet;
}

}  // namespace zem
