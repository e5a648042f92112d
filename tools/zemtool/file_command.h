// SPDX-License-Identifier: BSD-3-Clause
// One command on one file, as `zemtool COMMAND ...` runs it, without the
// layer that spreads a command over many files.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

// `args` start with the command's name.
int RunOneFileCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace zemtool
