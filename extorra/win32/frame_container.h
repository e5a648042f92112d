// SPDX-License-Identifier: BSD-3-Clause
// Lets a group box hold the controls drawn inside it as its own children.
#pragma once

#include <windows.h>

namespace extorra {

// A group box paints only its border and caption, and keeps its children's
// notifications to itself. After this call it paints its whole inside in the
// form's colour and passes colour requests and commands on to its parent.
void Make_Frame_Container(HWND frame);

}  // namespace extorra
