// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/many_files.h"

#include "container/codec_error.h"
#include "tools/zemtool/decode_options.h"
#include "tools/zemtool/file_command.h"
#include "tools/zemtool/input_search.h"
#include "tools/zemtool/native_file.h"
#include "tools/zemtool/output_check.h"
#include "tools/zemtool/run_summary.h"
#include "tools/zemtool/terminal.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/worker_pool.h"
#include "tools/zemtool/zemtool.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace zemtool {
namespace {

bool TakesOutput(const std::string& command) { return command == "encode" || command == "decode"; }

// The first line of a command's messages, without the program's name.
std::string FirstReason(const std::string& errText) {
    std::string line = errText.substr(0, errText.find('\n'));
    const std::string prefix = "zemtool: ";
    if (line.compare(0, prefix.size(), prefix) == 0)
        line.erase(0, prefix.size());
    return line.empty() ? "failed" : line;
}

int64_t SizeOf(const std::string& path) {
    std::error_code error;
#ifdef _WIN32
    const auto size = std::filesystem::file_size(std::filesystem::u8path(path), error);
#else
    const auto size = std::filesystem::file_size(path, error);
#endif
    return error ? 0 : static_cast<int64_t>(size);
}

struct Plan {
    const CollectionOptions& options;
    int threads;  // per file, 0 when each file takes the command's default
    bool quiet;
};

void RunItem(const Plan& plan, const FileItem& item, std::ostream& out, RunSummary& summary) {
    const CollectionOptions& options = plan.options;
    std::string why;
    if (TakesOutput(options.command) && !options.force && KindOfPath(item.output, &why) != PathKind::Missing) {
        summary.Skipped();
        summary.Finished(out, "",
                         plan.quiet ? ""
                                    : "zemtool: skipped " + Quoted(item.input) + ": " + Quoted(item.output) +
                                 " exists (--force replaces it)\n");
        return;
    }
    if (!options.outputDir.empty() && !MakeFoldersAbove(item.output, &why)) {
        summary.Failed(item.input, why);
        summary.Finished(out, "", "zemtool: " + std::string(CodecErrorName(CODEC_WRITE_FAILED)) + ": " + why + "\n");
        return;
    }
    const int64_t inputBytes = SizeOf(item.input);  // before --delete-input takes it
    std::ostringstream fileOut, fileErr;
    std::istringstream none;
    const std::vector<std::string> args =
        SingleFileArgs(options.command, options.passed, true, plan.threads, item.input, item.output);
    int status = RunOneFileCommand(args, none, fileOut, fileErr);
    std::string outText = fileOut.str();
    if (options.command == "info" && !outText.empty() &&
        std::find(options.passed.begin(), options.passed.end(), "--json") != options.passed.end())
        outText = OneLineJson(outText);
    std::string errText = fileErr.str();
    std::string reason = status == ZEMTOOL_OK ? "" : FirstReason(errText);
    if (status == ZEMTOOL_OK && options.deleteInput) {
        const int threads = plan.threads > 0 ? plan.threads : WorkerCount(0);
        if (!DeleteInputAfterCheck(item.input, item.output, options.command == "encode", threads, &why)) {
            reason = std::string(CodecErrorName(CODEC_BAD_CHECKSUM)) + ": " + Quoted(item.input) + " is kept: " + why;
            errText += "zemtool: " + reason + "\n";
            status = ZEMTOOL_FAILED;
        }
    }
    if (status == ZEMTOOL_OK)
        summary.Done(AudioSecondsOf(options.command == "encode" ? item.output : item.input), inputBytes);
    else
        summary.Failed(item.input, reason);
    summary.Finished(out, outText, errText);
}

}  // namespace

std::string OneLineJson(const std::string& text) {
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n') {
            line += text[i];
            continue;
        }
        while (i + 1 < text.size() && text[i + 1] == ' ')
            ++i;
    }
    return line + "\n";
}

std::vector<std::string> SingleFileArgs(const std::string& command, const std::vector<std::string>& passed, bool quiet,
                                        int threads, const std::string& input, const std::string& output) {
    std::vector<std::string> args{command};
    args.insert(args.end(), passed.begin(), passed.end());
    if (command != "info") {
        if (quiet)
            args.push_back("-q");
        if (threads > 0 && std::find(passed.begin(), passed.end(), "--threads") == passed.end()) {
            args.push_back("--threads");
            args.push_back(std::to_string(threads));
        }
    }
    args.push_back("--");
    args.push_back(input);
    if (TakesOutput(command))
        args.push_back(output);
    return args;
}

int RunManyFiles(const CollectionOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
    std::vector<FileItem> items;
    const std::string problem = FindInputs(options, &items);
    if (!problem.empty())
        return ReportFailure(err, CODEC_BAD_INPUT, problem);
    if (items.empty() && options.folders.empty())
        return ReportUsageError(err, options.command, "no file given");
    if (!options.output.empty() && items.size() != 1)
        return ReportUsageError(err, options.command, "-o takes one input; --output-dir takes many");
    const bool standardStream = std::any_of(
        items.begin(), items.end(), [](const FileItem& item) { return item.input == "-" || item.output == "-"; });
    if (standardStream) {
        if (items.size() != 1 || options.deleteInput)
            return ReportUsageError(err, options.command, "'-' stands for one input or output alone");
        return RunOneFileCommand(
            SingleFileArgs(options.command, options.passed, false, 0, items[0].input, items[0].output), in, out, err);
    }
    Plan plan{options, 0, options.quiet};
    if (options.jobs > 1 && items.size() > 1 && !options.threadsGiven)
        plan.threads = std::max(1, WorkerCount(0) / options.jobs);
    RunSummary summary(err, items.size(), !options.quiet && StandardErrorIsTerminal());
    RunOnWorkers(items.size(), options.jobs, [&](size_t i) { RunItem(plan, items[i], out, summary); });
    if (!options.quiet || summary.AnyFailed())
        summary.Print();
    return summary.AnyFailed() ? ZEMTOOL_FAILED : ZEMTOOL_OK;
}

}  // namespace zemtool
