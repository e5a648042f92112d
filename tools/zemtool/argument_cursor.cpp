// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/argument_cursor.h"

namespace zemtool {

bool ArgumentCursor::Next() {
    if (m_started)
        ++m_index;
    m_started = true;
    if (!m_optionsEnded && m_index < m_args.size() && m_args[m_index] == "--") {
        m_optionsEnded = true;
        ++m_index;
    }
    if (m_index >= m_args.size())
        return false;
    m_current = m_index;
    const std::string& arg = m_args[m_index];
    m_isOption = !m_optionsEnded && arg.size() > 1 && arg[0] == '-';
    return true;
}

bool ArgumentCursor::Is(const char* name, const char* other) const {
    return m_isOption && (Current() == name || (other && Current() == other));
}

bool ArgumentCursor::TakeValue(std::string* value) {
    if (m_index + 1 >= m_args.size())
        return false;
    *value = m_args[++m_index];
    return true;
}

}  // namespace zemtool
