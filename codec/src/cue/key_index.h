// SPDX-License-Identifier: BSD-3-Clause
// Every place where one key occurs in a text, so that "the first occurrence
// at or after a position" costs a binary search instead of a scan. Tracks ask
// this once each; scanning anew for every track would make a sheet with many
// tracks and few keys take time in the square of its size.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <vector>

namespace zem {

class KeyIndex {
public:
    KeyIndex(const WString& text, const WString& key);

    // Index of the first occurrence starting at or after `from`, or npos.
    size_t FirstAtOrAfter(size_t from) const;
    size_t KeyLength() const { return m_keyLength; }

    static constexpr size_t npos = static_cast<size_t>(-1);

private:
    std::vector<size_t> m_positions;
    size_t m_keyLength;
};

// The first position of every track key "TRACK nn AUDIO", by track number
// (index 0 unused); npos where a number's key does not occur.
std::vector<size_t> FindTrackKeys(const WString& text, int maxTrack);
// The key of track `number`: "TRACK %2d AUDIO" with a blank tens digit as "0".
WString TrackKey(int number);

}  // namespace zem
