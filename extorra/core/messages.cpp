// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/messages.h"

namespace extorra {

std::string Error_Renaming_Text(const std::string& old_path) {
    return "Error renaming '" + old_path + "'.";
}

}  // namespace extorra
