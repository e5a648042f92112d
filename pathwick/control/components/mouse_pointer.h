// SPDX-License-Identifier: BSD-3-Clause
// The busy pointer around long operations: set on construction, the normal
// pointer back on destruction, so every return path restores it.
#pragma once

#include <windows.h>

namespace pathwick {

class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    HCURSOR m_previous;
};

}  // namespace pathwick
