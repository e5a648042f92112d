// SPDX-License-Identifier: BSD-3-Clause
// Outputs appear whole or not at all: written under a temporary name beside
// the final one, renamed into place only when complete.
#pragma once

#include <functional>
#include <string>

namespace zemtool {

// Runs write(temporary) and, when it returns "", renames the temporary file to
// `path` (replacing a file there); otherwise removes it. Returns the problem.
std::string CommitOutput(const std::string& path, const std::function<std::string(const std::string&)>& write);

}  // namespace zemtool
