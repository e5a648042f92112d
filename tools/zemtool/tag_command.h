// SPDX-License-Identifier: BSD-3-Clause
// `zemtool tag FILE [--set NAME=VALUE]... [--delete NAME]... [--remove] [--id3v1]`
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

// `args` are the arguments after "tag".
int RunTagCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zemtool
