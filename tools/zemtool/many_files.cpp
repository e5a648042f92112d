// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/many_files.h"

#include "tools/zemtool/decode_options.h"
#include "tools/zemtool/file_command.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/input_search.h"
#include "tools/zemtool/json_writer.h"
#include "tools/zemtool/leftover_partials.h"
#include "tools/zemtool/native_file.h"
#include "tools/zemtool/output_check.h"
#include "tools/zemtool/printable_text.h"
#include "tools/zemtool/run_summary.h"
#include "tools/zemtool/terminal.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/worker_pool.h"
#include "tools/zemtool/zemtool.h"

#include <zem/zem.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace zemtool {
namespace {

bool TakesOutput(const std::string& command) { return command == "encode" || command == "decode"; }

bool IsWarning(const std::string& line) { return line.compare(0, 18, "zemtool: warning: ") == 0; }

// The first line of a command's messages that is no warning, without the
// program's name; for a ripcheck that printed none, its verdict.
std::string FirstReason(const std::string& errText, const std::string& outText) {
    std::istringstream lines(errText);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || IsWarning(line))
            continue;
        const std::string prefix = "zemtool: ";
        if (line.compare(0, prefix.size(), prefix) == 0)
            line.erase(0, prefix.size());
        return line;
    }
    const size_t end = outText.find_last_not_of('\n');
    if (end == std::string::npos || outText[end] != '.')
        return "failed";
    const size_t newline = outText.find_last_of('\n', end);
    const size_t begin = newline == std::string::npos ? 0 : newline + 1;
    return outText.substr(begin, end + 1 - begin);
}

bool Passes(const std::vector<std::string>& passed, const char* option) {
    return std::find(passed.begin(), passed.end(), option) != passed.end();
}

// What a file's output says, told apart from the next file's: one JSON
// object a line, naming the file for ripcheck; ripcheck's table under the
// file's name.
std::string FileOutput(const CollectionOptions& options, const std::string& input, const std::string& text) {
    if (text.empty())
        return text;
    const bool json = Passes(options.passed, "--json");
    if (options.command == "info" && json)
        return OneLineJson(text);
    if (options.command != "ripcheck")
        return text;
    if (!json)
        return PrintableText(input) + ":\n" + text + "\n";
    std::string line = OneLineJson(text);
    if (line.compare(0, 1, "{") == 0)
        line.insert(1, "\"file\": " + JsonQuote(input) + ", ");
    return line;
}

struct Plan {
    const CollectionOptions& options;
    int threads;  // per file, 0 when each file takes the command's default
    bool quiet;
};

// A stream found in a folder that carries no cue sheet is no CD image:
// ripcheck passes over it.
bool IsImageWithoutSheet(const FileItem& item) {
    const std::string extension = LowerExtension(item.input);
    if (!item.found || (extension != ".zem" && extension != ".qrb"))
        return false;
    int error = 0;
    zem_cue* sheet = zem_cue_open(item.input.c_str(), &error);
    zem_cue_close(sheet);
    if (sheet || error != ZEM_ERROR_BAD_INPUT)
        return false;
    zem_decoder* stream = zem_open(item.input.c_str(), &error);  // a damaged file is no skip
    zem_close(stream);
    return stream != nullptr;
}

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
    if (options.command == "ripcheck" && IsImageWithoutSheet(item)) {
        summary.Skipped();
        summary.Finished(out, "", plan.quiet ? "" : "zemtool: skipped " + Quoted(item.input) + ": no cue sheet\n");
        return;
    }
    if (TakesOutput(options.command) && !options.outputDir.empty() && !MakeFoldersAbove(item.output, &why)) {
        summary.Failed(item.input, why);
        summary.Finished(out, "", "zemtool: " + std::string(ToolErrorName(CODEC_WRITE_FAILED)) + ": " + why + "\n");
        return;
    }
    const std::string source = AudioSourceOf(item.input);
    const int64_t inputBytes = SizeOf(source);  // before --delete-input takes it
    std::ostringstream fileOut, fileErr;
    std::istringstream none;
    const std::vector<std::string> args =
        SingleFileArgs(options.command, options.passed, true, plan.threads, item.input, item.output);
    int status = RunOneFileCommand(args, none, fileOut, fileErr);
    const std::string outText = FileOutput(options, item.input, fileOut.str());
    std::string errText = fileErr.str();
    std::string reason = status == ZEMTOOL_OK ? "" : FirstReason(errText, fileOut.str());
    if (status == ZEMTOOL_OK && options.deleteInput) {
        const int threads = plan.threads > 0 ? plan.threads : WorkerCount(0);
        if (!DeleteInputAfterCheck(item.input, item.output, options.command == "encode", threads, &why)) {
            reason = std::string(ToolErrorName(CODEC_BAD_CHECKSUM)) + ": " + Quoted(item.input) + " is kept: " + why;
            errText += "zemtool: " + reason + "\n";
            status = ZEMTOOL_FAILED;
        }
    }
    if (status == ZEMTOOL_OK)
        summary.Done(AudioSecondsOf(options.command == "encode" ? item.output : source), inputBytes);
    else
        summary.Failed(item.input, reason);
    summary.Finished(out, outText, errText);
}

// gain --album measures its files as one album: one run over all of them.
int RunAlbumGain(const CollectionOptions& options, const std::vector<FileItem>& items, std::ostream& out,
                 std::ostream& err) {
    std::vector<std::string> args{"gain"};
    args.insert(args.end(), options.passed.begin(), options.passed.end());
    args.push_back("--");
    for (const FileItem& item : items)
        args.push_back(item.input);
    std::istringstream none;
    return RunOneFileCommand(args, none, out, err);
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

std::string AudioSourceOf(const std::string& path) {
    if (LowerExtension(path) != ".cue")
        return path;
    int error = 0;
    zem_cue* sheet = zem_cue_open(path.c_str(), &error);
    const std::string image = sheet ? zem_cue_image(sheet) : path;
    zem_cue_close(sheet);
    return image;
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

std::vector<std::string> SingleFileArgs(const std::string& command, const std::vector<std::string>& passed, bool quiet,
                                        int threads, const std::string& input, const std::string& output) {
    std::vector<std::string> args{command};
    args.insert(args.end(), passed.begin(), passed.end());
    const bool ownProgress = command == "encode" || command == "decode" || command == "verify";
    if (quiet && ownProgress)
        args.push_back("-q");
    if ((ownProgress || command == "convert") && threads > 0 && !Passes(passed, "--threads")) {
        args.push_back("--threads");
        args.push_back(std::to_string(threads));
    }
    if (command == "convert" && !output.empty()) {
        args.push_back("--output-dir");
        args.push_back(output);
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
    if (options.command == "ripcheck" && Passes(options.passed, "--log") && items.size() != 1)
        return ReportUsageError(err, options.command, "--log takes one input; many find their logs beside them");
    const bool standardStream = std::any_of(
        items.begin(), items.end(), [](const FileItem& item) { return item.input == "-" || item.output == "-"; });
    if (standardStream) {
        if (items.size() != 1 || options.deleteInput)
            return ReportUsageError(err, options.command, "'-' stands for one input or output alone");
        return RunOneFileCommand(
            SingleFileArgs(options.command, options.passed, false, 0, items[0].input, items[0].output), in, out, err);
    }
    if (options.album)
        return items.empty() ? ZEMTOOL_OK : RunAlbumGain(options, items, out, err);
    std::vector<std::string> outputs;
    for (const FileItem& item : items) {
        if (TakesOutput(options.command))
            outputs.push_back(item.output);
    }
    RemoveLeftoverPartials(outputs);
    const int jobs = !options.jobsGiven && RunsFilesSideBySide(options.command) ? WorkerCount(0) : options.jobs;
    Plan plan{options, 0, options.quiet};
    if (jobs > 1 && items.size() > 1 && !options.threadsGiven)
        plan.threads = std::max(1, WorkerCount(0) / jobs);
    RunSummary summary(err, items.size(), !options.quiet && StandardErrorIsTerminal());
    RunOnWorkers(items.size(), jobs, [&](size_t i) { RunItem(plan, items[i], out, summary); });
    if (!options.quiet || summary.AnyFailed())
        summary.Print();
    return summary.AnyFailed() ? ZEMTOOL_FAILED : ZEMTOOL_OK;
}

}  // namespace zemtool
