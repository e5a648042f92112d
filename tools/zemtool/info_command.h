// SPDX-License-Identifier: BSD-3-Clause
// `zemtool info [--json] FILE`
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

// `args` are the arguments after "info".
int RunInfoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zemtool
