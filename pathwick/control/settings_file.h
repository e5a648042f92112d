// SPDX-License-Identifier: BSD-3-Clause
// The settings file beside the library, through the narrow profile-string calls.
#pragma once

#include "pathwick/core/settings.h"

#include <string>

namespace pathwick {

ProfileStore& SettingsStore();
std::string AnsiFromWide(const std::wstring& text);
std::wstring WideFromAnsi(const std::string& text);

}  // namespace pathwick
