// SPDX-License-Identifier: BSD-3-Clause
// `zemtool gain`: ReplayGain 2.0 values of streams, link files and every
// track of a cue sheet's image, written into their tags.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

int RunGainCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zemtool
