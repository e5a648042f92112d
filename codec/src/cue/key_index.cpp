// SPDX-License-Identifier: BSD-3-Clause
#include "cue/key_index.h"

#include <algorithm>
#include <cstdio>

namespace zem {

KeyIndex::KeyIndex(const WString& text, const WString& key) : m_keyLength(key.size()) {
    if (key.empty())
        return;
    // Overlapping occurrences count too, as a search from any position finds them.
    for (size_t at = text.find(key); at != WString::npos; at = text.find(key, at + 1))
        m_positions.push_back(at);
}

size_t KeyIndex::FirstAtOrAfter(size_t from) const {
    auto found = std::lower_bound(m_positions.begin(), m_positions.end(), from);
    return found == m_positions.end() ? npos : *found;
}

WString TrackKey(int number) {
    char key[32];
    std::snprintf(key, sizeof key, "TRACK %2d AUDIO", number);
    if (key[6] == ' ')
        key[6] = '0';
    return WString(key, key + std::char_traits<char>::length(key));
}

namespace {

bool IsDigit(WCHAR c) { return c >= '0' && c <= '9'; }

// The track number whose key starts at `at` (the text there reads "TRACK "),
// or 0 when no key of a number up to `maxTrack` starts there.
int TrackNumberAt(const WString& text, size_t at, int maxTrack) {
    static const WString kAudio = WTXT(" AUDIO");
    size_t digits = at + 6;
    size_t end = digits;
    while (end < text.size() && IsDigit(text[end]) && end - digits < 10)
        ++end;
    if (end == digits || text.compare(end, kAudio.size(), kAudio) != 0)
        return 0;
    long number = 0;
    for (size_t index = digits; index < end; ++index)
        number = number * 10 + (text[index] - '0');
    if (number < 1 || number > maxTrack)
        return 0;
    // Only the key's own spelling matches: 01 to 09, then no leading zero.
    return TrackKey(static_cast<int>(number)) == text.substr(at, end + kAudio.size() - at)
               ? static_cast<int>(number)
               : 0;
}

}  // namespace

// One pass over the text instead of one search per track number.
std::vector<size_t> FindTrackKeys(const WString& text, int maxTrack) {
    std::vector<size_t> first(static_cast<size_t>(maxTrack) + 1, KeyIndex::npos);
    KeyIndex track(text, WTXT("TRACK "));
    for (size_t at = track.FirstAtOrAfter(0); at != KeyIndex::npos; at = track.FirstAtOrAfter(at + 1)) {
        int number = TrackNumberAt(text, at, maxTrack);
        if (number > 0 && first[number] == KeyIndex::npos)
            first[number] = at;
    }
    return first;
}

}  // namespace zem
