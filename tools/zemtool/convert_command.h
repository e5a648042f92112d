// SPDX-License-Identifier: BSD-3-Clause
// `zemtool convert`: streams, link files, cue sheets' tracks, WAV and FLAC
// files to tagged FLAC, WAV or ZEM files.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zemtool {

int RunConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zemtool
