// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/control/components/mouse_pointer.h"

namespace pathwick {

BusyPointer::BusyPointer() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}

BusyPointer::~BusyPointer() {
    SetCursor(m_previous ? m_previous : LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace pathwick
