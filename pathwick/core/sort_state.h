// SPDX-License-Identifier: BSD-3-Clause
// Which column the list sorts by and in which direction. Every column keeps
// the direction it had when it was last the sort key (its tag: 0 ascending,
// -1 descending), so clicking back to it sorts it the way it was.
#pragma once

#include <vector>

namespace pathwick {

constexpr unsigned DescendingBit = 0x80000000u;

class SortState {
public:
    // New columns after a refill. The column that is still the sort key takes
    // the current direction, so the next click on it reverses what is shown.
    void ResetColumns(int columnCount);
    // A click on the header of column `column` (1-based).
    void ClickColumn(int column);

    int SortKey() const { return m_sortKey; }      // 0-based column
    int SortOrder() const { return m_sortOrder; }  // 0 ascending, 1 descending
    int Tag(int column) const;                     // 1-based column; 0 when none
    // The sort callback's parameter: the key, with bit 31 set for descending.
    unsigned SortParameter() const;

private:
    std::vector<int> m_tags;
    int m_sortKey = 0;
    int m_sortOrder = 0;
};

// The low 16 bits of a comparison status as a signed number, negated when the
// sort parameter asks for descending order.
int ComparisonResult(long status, unsigned sortParameter);

}  // namespace pathwick
