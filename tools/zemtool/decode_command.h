// SPDX-License-Identifier: BSD-3-Clause
// `zemtool decode` and `zemtool verify`: whole streams and link-file tracks
// decoded on all cores, to a wave file or only checked.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

int RunDecodeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
int RunVerifyCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace zemtool
