// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/chooser_path.h"

#include <algorithm>

namespace extorra {

std::string Folder_From_Chooser(bool has_path, const char* buffer, std::size_t buffer_size) {
    if (!has_path || buffer == nullptr)
        return std::string();
    const char* end = std::find(buffer, buffer + buffer_size, '\0');
    std::string folder(buffer, end);
    if (folder.empty())
        return folder;
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

}  // namespace extorra
