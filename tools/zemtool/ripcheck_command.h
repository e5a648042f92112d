// SPDX-License-Identifier: BSD-3-Clause
// `zemtool ripcheck CUE|IMAGE [--log FILE] [--json] [--lookup]`
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

// `args` are the arguments after "ripcheck".
int RunRipcheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zemtool
