// SPDX-License-Identifier: BSD-3-Clause
#include "tag/tag_item.h"

#include "tag/tag_text.h"

#include <cstring>

namespace zem {

CTagItem::CTagItem(const WCHAR* name, const void* value, int32_t valueSize, uint32_t flags)
    : m_name(name ? name : WTXT("")),
      m_value(static_cast<size_t>(valueSize > 0 ? valueSize : 0) + 2, 0),
      m_flags(flags),
      m_valueSize(valueSize > 0 ? valueSize : 0) {
    if (value && m_valueSize > 0)
        std::memcpy(m_value.data(), value, static_cast<size_t>(m_valueSize));
}

bool CTagItem::HasName(const WCHAR* name) const {
    return EqualsIgnoringAsciiCase(m_name.c_str(), name);
}

}  // namespace zem
