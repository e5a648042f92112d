// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tool_failure.h"

#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/zemtool.h"

namespace zemtool {

int ReportFailure(std::ostream& err, int codecError, const std::string& reason) {
    err << "zemtool: " << ToolErrorName(codecError) << ": " << reason << "\n";
    return ZEMTOOL_FAILED;
}

int ReportUsageError(std::ostream& err, const std::string& command, const std::string& reason) {
    err << "zemtool: " << ToolErrorName(CODEC_BAD_ARGUMENT) << ": " << reason << "\n";
    err << "Try 'zemtool " << (command.empty() ? "" : command + " ") << "--help'.\n";
    return ZEMTOOL_USAGE;
}

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

}  // namespace zemtool
