// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/info_command.h"

#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/report_output.h"
#include "tools/zemtool/stream_report.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

namespace zemtool {
namespace {

struct InfoRequest {
    bool json = false;
    bool help = false;
    bool haveFile = false;
    bool allowRemotePaths = false;
    std::string file;
};

// Returns an empty text on success, else what is wrong with the arguments.
std::string ParseInfoArgs(const std::vector<std::string>& args, InfoRequest& request) {
    ArgumentCursor cursor(args);
    while (cursor.Next()) {
        const std::string& arg = cursor.Current();
        if (cursor.Is("-h", "--help")) {
            request.help = true;
        } else if (cursor.Is("--json")) {
            request.json = true;
        } else if (cursor.Is("--allow-remote-paths")) {
            request.allowRemotePaths = true;
        } else if (cursor.IsOption()) {
            return "unknown option " + Quoted(arg);
        } else if (request.haveFile) {
            return "more than one file given";
        } else {
            request.file = arg;
            request.haveFile = true;
        }
    }
    if (!request.help && !request.haveFile)
        return "no file given";
    return {};
}

}  // namespace

int RunInfoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    InfoRequest request;
    const std::string problem = ParseInfoArgs(args, request);
    if (request.help) {
        out << kInfoUsage;
        return ZEMTOOL_OK;
    }
    if (!problem.empty())
        return ReportUsageError(err, "info", problem);
    StreamReport report;
    std::string reason;
    if (int error = BuildStreamReport(request.file, report, reason, request.allowRemotePaths))
        return ReportFailure(err, error, reason);
    if (request.json)
        PrintReportJson(report, out);
    else
        PrintReportText(report, out);
    if (report.cut.cut)
        return ReportFailure(err, CODEC_BAD_INPUT, Quoted(request.file) + ": " + DescribeCut(report.cut));
    return ZEMTOOL_OK;
}

}  // namespace zemtool
