// SPDX-License-Identifier: BSD-3-Clause
// `zemtool links CUE [--template T]`
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

// `args` are the arguments after "links".
int RunLinksCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zemtool
