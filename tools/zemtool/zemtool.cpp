// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/zemtool.h"

#include "tools/zemtool/batch_command.h"
#include "tools/zemtool/collection_options.h"
#include "tools/zemtool/convert_command.h"
#include "tools/zemtool/decode_command.h"
#include "tools/zemtool/file_command.h"
#include "tools/zemtool/gain_command.h"
#include "tools/zemtool/encode_command.h"
#include "tools/zemtool/info_command.h"
#include "tools/zemtool/links_command.h"
#include "tools/zemtool/many_files.h"
#include "tools/zemtool/ripcheck_command.h"
#include "tools/zemtool/std_streams.h"
#include "tools/zemtool/tag_command.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"

#include <sstream>

using namespace zemtool;

int RunZemtool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::istringstream none;
    return RunZemtool(args, none, out, err);
}

namespace zemtool {

int RunOneFileCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    const std::string& command = args.front();
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "info")
        return RunInfoCommand(rest, out, err);
    if (command == "encode")
        return RunEncodeCommand(rest, in, out, err);
    if (command == "decode")
        return RunDecodeCommand(rest, in, out, err);
    if (command == "verify")
        return RunVerifyCommand(rest, in, out, err);
    if (command == "ripcheck")
        return RunRipcheckCommand(rest, out, err);
    if (command == "convert")
        return RunConvertCommand(rest, out, err);
    if (command == "gain")
        return RunGainCommand(rest, out, err);
    return ReportUsageError(err, "", "unknown command " + Quoted(command));
}

}  // namespace zemtool

namespace {

int RunCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kToolUsage;
        return ZEMTOOL_USAGE;
    }
    const std::string& command = args.front();
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "-h" || command == "--help" || command == "help") {
        out << kToolUsage;
        return ZEMTOOL_OK;
    }
    if (command == "--version") {
        out << "zemtool " << ZEM_VERSION_TEXT << "\n";
        return ZEMTOOL_OK;
    }
    if (command == "info" || command == "encode" || command == "decode" || command == "verify" ||
        RunsFilesSideBySide(command)) {
        CollectionOptions options;
        const std::string problem = ParseCollectionOptions(command, rest, options);
        if (!problem.empty())
            return ReportUsageError(err, command, problem);
        if (WantsManyFiles(options))
            return RunManyFiles(options, in, out, err);
        return RunOneFileCommand(args, in, out, err);
    }
    if (command == "batch")
        return RunBatchCommand(rest, in, out, err);
    if (command == "tag")
        return RunTagCommand(rest, out, err);
    if (command == "links")
        return RunLinksCommand(rest, out, err);
    return ReportUsageError(err, "", "unknown command " + Quoted(command));
}

}  // namespace

int RunZemtool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    return FinishStandardOutput(out, err, RunCommand(args, in, out, err));
}
