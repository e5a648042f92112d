// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/convert_command.h"

#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/convert/convert_sources.h"
#include "tools/zemtool/convert/flac_support.h"
#include "tools/zemtool/convert/output_writers.h"
#include "tools/zemtool/durable_file.h"
#include "tools/zemtool/leftover_partials.h"
#include "tools/zemtool/printable_text.h"
#include "tools/zemtool/terminal.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <atomic>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <thread>

namespace zemtool {
namespace {

struct ConvertRequest {
    bool help = false;
    bool quiet = false;
    std::vector<std::string> inputs;
    ConvertPlanOptions plan;
    unsigned flacLevel = 8;
    unsigned zemLevel = 2000;
    unsigned threads = 0;
};

bool ParseNumber(const std::string& text, unsigned low, unsigned high, unsigned* value) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned number = static_cast<unsigned>(std::stoul(text));
    if (number < low || number > high)
        return false;
    *value = number;
    return true;
}

std::string ParseConvertArgs(const std::vector<std::string>& args, ConvertRequest& request) {
    ArgumentCursor cursor(args);
    std::string value;
    while (cursor.Next()) {
        const std::string& arg = cursor.Current();
        if (cursor.Is("-h", "--help")) {
            request.help = true;
        } else if (cursor.Is("-q", "--quiet")) {
            request.quiet = true;
        } else if (cursor.Is("--to")) {
            if (!cursor.TakeValue(&value))
                return "--to needs flac, wav or zem";
            if (value == "flac")
                request.plan.target = TargetKind::Flac;
            else if (value == "wav")
                request.plan.target = TargetKind::Wav;
            else if (value == "zem")
                request.plan.target = TargetKind::Zem;
            else
                return "--to takes flac, wav or zem, not " + Quoted(value);
        } else if (cursor.Is("--output-dir")) {
            if (!cursor.TakeValue(&request.plan.outputDir) || request.plan.outputDir.empty())
                return "--output-dir needs a folder";
        } else if (cursor.Is("--template")) {
            if (!cursor.TakeValue(&request.plan.naming) || request.plan.naming.empty())
                return "--template needs a naming template";
        } else if (cursor.Is("--flac-level")) {
            if (!cursor.TakeValue(&value) || !ParseNumber(value, 0, 8, &request.flacLevel))
                return "--flac-level takes 0 to 8";
        } else if (cursor.Is("--level")) {
            if (!cursor.TakeValue(&value) || !ParseNumber(value, 1000, 5000, &request.zemLevel) ||
                request.zemLevel % 1000 != 0)
                return "--level takes 1000, 2000, 3000, 4000 or 5000";
        } else if (cursor.Is("--threads")) {
            if (!cursor.TakeValue(&value) || !ParseNumber(value, 1, 256, &request.threads))
                return "--threads takes 1 to 256";
        } else if (cursor.IsOption()) {
            return "unknown option " + Quoted(arg);
        } else {
            request.inputs.push_back(arg);
        }
    }
    if (!request.help && request.inputs.empty())
        return "no input file given";
    return {};
}

std::string ConvertOne(const ConvertItem& item, const ConvertRequest& request, unsigned encoderThreads) {
    if ((item.kind == SourceKind::Flac || request.plan.target == TargetKind::Flac) && !kHaveFlac)
        return kNoFlacSupport;
    if (item.output == item.path)
        return "the output would replace the input";
    std::string problem;
    std::unique_ptr<PcmSource> source = OpenPcmSource(item, &problem);
    if (!source)
        return problem;
    switch (request.plan.target) {
    case TargetKind::Flac: return WriteFlac(*source, item, request.flacLevel);
    case TargetKind::Wav: return WriteWav(*source, item);
    case TargetKind::Zem: return WriteZem(*source, item, request.zemLevel, encoderThreads);
    }
    return {};
}

// One line on a terminal, redrawn as files finish.
void ShowProgress(size_t done, size_t total) {
    const size_t width = 30;
    const size_t filled = total ? done * width / total : width;
    std::cerr << "\r[" << std::string(filled, '#') << std::string(width - filled, ' ') << "] " << done << "/"
              << total << (done == total ? "\n" : "") << std::flush;
}

}  // namespace

int RunConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ConvertRequest request;
    const std::string usageProblem = ParseConvertArgs(args, request);
    if (request.help) {
        out << kConvertUsage;
        return ZEMTOOL_OK;
    }
    if (!usageProblem.empty())
        return ReportUsageError(err, "convert", usageProblem);
    if (!request.plan.outputDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::u8path(request.plan.outputDir), error);
        if (error)
            return ReportFailure(err, CODEC_WRITE_FAILED, "cannot create the folder " +
                                                              Quoted(request.plan.outputDir) + ": " + error.message());
    }
    bool failed = false;
    std::vector<ConvertItem> items;
    for (const std::string& input : request.inputs) {
        const std::string problem = PlanConversion(input, request.plan, items);
        if (!problem.empty()) {
            ReportFailure(err, CODEC_BAD_INPUT, PrintableText(input) + ": " + problem);
            failed = true;
        }
    }
    // What a run killed before left half-written under these names.
    std::vector<std::string> outputs;
    for (const ConvertItem& item : items)
        outputs.push_back(item.output);
    RemoveLeftoverPartials(outputs);
    // Files run side by side, one a thread; a single file gives its threads to the ZEM encoder.
    const unsigned cores = request.threads ? request.threads : std::max(1u, std::thread::hardware_concurrency());
    const unsigned workers = static_cast<unsigned>(std::min<size_t>(cores, items.size()));
    const unsigned encoderThreads = items.size() == 1 ? cores : 1;
    std::vector<std::string> problems(items.size());
    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    std::mutex progress;
    const bool showProgress = !request.quiet && StandardErrorIsTerminal() && items.size() > 1 && &err == &std::cerr;
    auto work = [&]() {
        for (size_t i; (i = next++) < items.size();) {
            problems[i] = ConvertOne(items[i], request, encoderThreads);
            // On disk, name and all, before anyone (a batch's manifest) counts on it.
            std::string why;
            if (problems[i].empty() && !SyncFile(items[i].output, &why))
                problems[i] = "cannot sync the file: " + why;
            const size_t finished = ++done;
            if (showProgress) {
                std::lock_guard<std::mutex> lock(progress);
                ShowProgress(finished, items.size());
            }
        }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < workers; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    for (size_t i = 0; i < items.size(); ++i) {
        if (problems[i].empty()) {
            out << PrintableText(items[i].output) << "\n";
        } else {
            ReportFailure(err, CODEC_BAD_INPUT,
                          PrintableText(items[i].input) + " -> " + PrintableText(items[i].output) + ": " + problems[i]);
            failed = true;
        }
    }
    return failed ? ZEMTOOL_FAILED : ZEMTOOL_OK;
}

}  // namespace zemtool
