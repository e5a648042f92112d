// SPDX-License-Identifier: BSD-3-Clause
// Which standard window class and styles stand for each kind of control.
#pragma once

#include "extorra/core/form_layout.h"

#include <windows.h>

namespace extorra {

struct Control_Class {
    const char* class_name;
    DWORD style;
    DWORD ex_style;
};

Control_Class Class_Of(Control_Kind kind);

}  // namespace extorra
