// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/win32/browse_for_folder_module.h"

#include "extorra/core/chooser_path.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

namespace extorra {

namespace {
// Only folders of the file system may be confirmed.
constexpr UINT Chooser_Flags = 1;
static_assert(Chooser_Flags == BIF_RETURNONLYFSDIRS, "chooser flags");
}  // namespace

std::string Browse_For_Folder(HWND owner, const std::string& title) {
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = nullptr;
    info.lpszTitle = title.c_str();
    info.ulFlags = Chooser_Flags;
    info.lpfn = nullptr;
    LPITEMIDLIST item = SHBrowseForFolderA(&info);

    // The shell writes up to a full ANSI path here; spaces mark what it left.
    char buffer[Chooser_Buffer_Size];
    std::fill(buffer, buffer + Chooser_Buffer_Size - 1, ' ');
    buffer[Chooser_Buffer_Size - 1] = '\0';
    bool has_path = item != nullptr && SHGetPathFromIDListA(item, buffer) != FALSE;
    CoTaskMemFree(item);
    return Folder_From_Chooser(has_path, buffer, Chooser_Buffer_Size);
}

}  // namespace extorra
