// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/core/sort_state.h"

#include <cstddef>
#include <cstdint>

namespace pathwick {

void SortState::ResetColumns(int columnCount) {
    m_tags.assign(columnCount > 0 ? static_cast<size_t>(columnCount) : 0, 0);
    if (m_sortKey >= 0 && m_sortKey < columnCount && m_sortOrder != 0) m_tags[static_cast<size_t>(m_sortKey)] = -1;
}

void SortState::ClickColumn(int column) {
    if (column < 1 || static_cast<size_t>(column) > m_tags.size()) return;
    int& tag = m_tags[static_cast<size_t>(column - 1)];
    if (column == m_sortKey + 1) tag = tag == 0 ? -1 : 0;
    m_sortOrder = tag < 0 ? -tag : tag;
    m_sortKey = column - 1;
}

int SortState::Tag(int column) const {
    if (column < 1 || static_cast<size_t>(column) > m_tags.size()) return 0;
    return m_tags[static_cast<size_t>(column - 1)];
}

unsigned SortState::SortParameter() const {
    unsigned parameter = static_cast<unsigned>(m_sortKey);
    return m_sortOrder != 0 ? parameter | DescendingBit : parameter;
}

int ComparisonResult(long status, unsigned sortParameter) {
    auto low = static_cast<int16_t>(static_cast<uint16_t>(static_cast<unsigned long>(status) & 0xFFFFu));
    int result = low;
    return (sortParameter & DescendingBit) ? -result : result;
}

}  // namespace pathwick
