// SPDX-License-Identifier: BSD-3-Clause
// One field of a tag in memory: a name, a value of raw bytes and the item flags.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <vector>

namespace zem {

// Item flag bits as stored.
constexpr uint32_t kTagItemReadOnly = 0x1;
constexpr uint32_t kTagItemNotText = 0x6;

class CTagItem {
public:
    // Copies `valueSize` bytes of `value`; two zero bytes follow the copy so
    // that a text value can be handed out as a terminated string.
    CTagItem(const WCHAR* name, const void* value, int32_t valueSize, uint32_t flags);

    const WString& GetName() const { return m_name; }
    const uint8_t* GetValue() const { return m_value.data(); }
    int32_t GetValueSize() const { return m_valueSize; }
    uint32_t GetFlags() const { return m_flags; }

    bool IsReadOnly() const { return (m_flags & kTagItemReadOnly) != 0; }
    bool IsText() const { return (m_flags & kTagItemNotText) == 0; }
    // Field names compare without regard to ASCII case.
    bool HasName(const WCHAR* name) const;

    // Values read from tags older than version 2000 are ANSI text (even those
    // flagged as not text, which such tags hand out as text too); values set
    // since are UTF-8.
    bool IsAnsiText() const { return m_ansiText; }
    void MarkAnsiText() { m_ansiText = true; }

private:
    WString m_name;
    std::vector<uint8_t> m_value;
    uint32_t m_flags;
    int32_t m_valueSize;
    bool m_ansiText = false;
};

}  // namespace zem
