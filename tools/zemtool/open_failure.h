// SPDX-License-Identifier: BSD-3-Clause
// Why the decoder factory would not open a file, in one line that names the
// file (or the image a link file names) and, where the system refused it,
// gives the system's reason.
#pragma once

#include <string>

namespace zemtool {

// `error` is the CodecError the factory gave for `file`.
std::string ExplainOpenFailure(const std::string& file, int error);

// Empty when `path` is a regular file that can be read; otherwise why not
// ("No such file or directory", "it is a folder", "it is not a regular file").
std::string WhyNotReadable(const std::string& path);

}  // namespace zemtool
