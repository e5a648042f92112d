// SPDX-License-Identifier: BSD-3-Clause
// `zemtool encode`: a PCM wave file to a ZEM stream.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

int RunEncodeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace zemtool
