// SPDX-License-Identifier: BSD-3-Clause
// Holds a critical section for a scope.
#pragma once

#include <windows.h>

namespace zemsource {

class ScopedSection {
public:
    explicit ScopedSection(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&m_section); }
    ~ScopedSection() { LeaveCriticalSection(&m_section); }
    ScopedSection(const ScopedSection&) = delete;
    ScopedSection& operator=(const ScopedSection&) = delete;

private:
    CRITICAL_SECTION& m_section;
};

}  // namespace zemsource
