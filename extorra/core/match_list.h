// SPDX-License-Identifier: BSD-3-Clause
// The ordered list a search fills with the paths of matching files.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace extorra {

// The list is indexed by a signed 16-bit number, so index 32,767 is its last.
constexpr std::size_t Match_List_Capacity = 32768;

// Starts, like every run, as one entry holding the empty string; the first
// match overwrites it and later matches are appended. It never grows past its
// capacity: an append that would is refused.
class Match_List {
public:
    explicit Match_List(std::size_t capacity = Match_List_Capacity);

    // Back to the single empty entry a run starts with.
    void Reset();

    // Index of the last match: the last index, less one when the last entry is
    // empty, so a fresh list gives -1.
    std::ptrdiff_t Count_Index() const;

    // Stores the entry at Count_Index() + 1; false, and nothing stored, when
    // that index is past the capacity.
    bool Append(std::string entry);

    std::size_t Capacity() const { return m_capacity; }
    std::size_t Size() const { return m_entries.size(); }
    const std::string& operator[](std::size_t index) const { return m_entries[index]; }

private:
    std::size_t m_capacity;
    std::vector<std::string> m_entries;
};

}  // namespace extorra
