// SPDX-License-Identifier: BSD-3-Clause
// Dragging files out of the control: the paths go to the drop target as a
// file list, and only copying is offered.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pathwick {

// The file-list block (a DROPFILES header and the wide paths, each ended by a
// zero, the whole ended by one more); null when it cannot be allocated.
HGLOBAL MakeFileListBlock(const std::vector<std::wstring>& paths);
// Runs the drag loop; returns the effect the target chose.
DWORD DragOutFiles(const std::vector<std::wstring>& paths);

}  // namespace pathwick
