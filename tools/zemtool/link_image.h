// SPDX-License-Identifier: BSD-3-Clause
// The image a link file names, read through the C API without opening it.
#pragma once

#include <string>

namespace zemtool {

// The image's path for the system (resolved against the link file's folder);
// empty when `link` is no readable link file.
std::string LinkImage(const std::string& link);

// A network or device path (\\host\..., \\.\..., \\?\..., also with '/'),
// which the library refuses to open unless allowed.
bool IsRemotePath(const std::string& path);

}  // namespace zemtool
