// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/match_list.h"

#include <utility>

namespace extorra {

Match_List::Match_List(std::size_t capacity) : m_capacity(capacity > 0 ? capacity : 1) { Reset(); }

void Match_List::Reset() { m_entries.assign(1, std::string()); }

std::ptrdiff_t Match_List::Count_Index() const {
    auto last = static_cast<std::ptrdiff_t>(m_entries.size()) - 1;
    return m_entries.back().empty() ? last - 1 : last;
}

bool Match_List::Append(std::string entry) {
    auto index = static_cast<std::size_t>(Count_Index() + 1);
    if (index >= m_capacity)
        return false;
    if (index < m_entries.size())
        m_entries[index] = std::move(entry);
    else
        m_entries.push_back(std::move(entry));
    return true;
}

}  // namespace extorra
