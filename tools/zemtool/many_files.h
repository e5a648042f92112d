// SPDX-License-Identifier: BSD-3-Clause
// One command over many files: encode, decode, verify, info, convert, gain
// and ripcheck with several inputs or folders, files side by side on --jobs
// threads, each file run by the command's own single-file code.
#pragma once

#include "tools/zemtool/collection_options.h"

#include <cstdint>
#include <istream>
#include <ostream>

namespace zemtool {

int RunManyFiles(const CollectionOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

// A JSON object printed one member a line, on a single line.
std::string OneLineJson(const std::string& text);

// The file whose audio `path` stands for: a cue sheet's image, else `path`.
std::string AudioSourceOf(const std::string& path);

// The size of the file `path`, 0 when it cannot be told.
int64_t SizeOf(const std::string& path);

// The arguments that run `command` on one input (and output), with the
// options every file gets.
std::vector<std::string> SingleFileArgs(const std::string& command, const std::vector<std::string>& passed, bool quiet,
                                        int threads, const std::string& input, const std::string& output);

}  // namespace zemtool
