// SPDX-License-Identifier: BSD-3-Clause
// The size and modified cells of a file, looked up by its path.
#pragma once

#include <windows.h>

#include <string>

namespace pathwick {

struct FileCells {
    std::wstring size;      // "#,##0KB"
    std::wstring modified;  // local short date and time without seconds
};

// False when the file cannot be found (it may have gone since it was listed).
bool LookUpFile(const std::wstring& path, FileCells& cells);
std::wstring FormatModified(const FILETIME& lastWrite);

}  // namespace pathwick
