// SPDX-License-Identifier: BSD-3-Clause
// `zemtool batch`: jobs from a JSON Lines file, results as JSON Lines, a
// manifest that lets a stopped run go on where it was, and shares of the
// jobs for several processes or machines.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

int RunBatchCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace zemtool
