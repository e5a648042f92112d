// SPDX-License-Identifier: BSD-3-Clause
// The shell's folder chooser.
#pragma once

#include <windows.h>

#include <string>

namespace extorra {

// Opens the chooser over `owner` with `title`; returns the chosen folder's
// file-system path ending in a backslash, or empty when the user cancelled or
// chose something with no file-system path.
std::string Browse_For_Folder(HWND owner, const std::string& title);

}  // namespace extorra
