// SPDX-License-Identifier: BSD-3-Clause
// How every command reports a failure: the library's error name and one line
// saying what went wrong, on the error stream.
#pragma once

#include <ostream>
#include <string>

namespace zemtool {

// Prints "zemtool: NAME: reason" and returns ZEMTOOL_FAILED.
int ReportFailure(std::ostream& err, int codecError, const std::string& reason);

// Prints "zemtool: CODEC_BAD_ARGUMENT: reason" and a pointer to the command's
// help, and returns ZEMTOOL_USAGE. `command` may be empty for the top level.
int ReportUsageError(std::ostream& err, const std::string& command, const std::string& reason);

// 'name' in single quotes, for messages.
std::string Quoted(const std::string& name);

}  // namespace zemtool
