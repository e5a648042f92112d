// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/batch_command.h"

#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/batch_jobs.h"
#include "tools/zemtool/decode_options.h"
#include "tools/zemtool/durable_file.h"
#include "tools/zemtool/file_command.h"
#include "tools/zemtool/input_search.h"
#include "tools/zemtool/leftover_partials.h"
#include "tools/zemtool/many_files.h"
#include "tools/zemtool/native_file.h"
#include "tools/zemtool/run_summary.h"
#include "tools/zemtool/terminal.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/worker_pool.h"
#include "tools/zemtool/zemtool.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <set>
#include <sstream>
#include <system_error>

namespace zemtool {
namespace {

struct BatchRequest {
    std::string jobs;
    std::string manifest;
    int shardIndex = 0;
    int shardCount = 1;
    int workers = 1;
    bool quiet = false;
    bool help = false;
};

bool SmallNumber(const std::string& text, int low, int high, int* value) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *value = std::stoi(text);
    return *value >= low && *value <= high;
}

bool ParseShard(const std::string& text, BatchRequest* request) {
    const size_t slash = text.find('/');
    return slash != std::string::npos && SmallNumber(text.substr(slash + 1), 1, 100000, &request->shardCount) &&
        SmallNumber(text.substr(0, slash), 0, request->shardCount - 1, &request->shardIndex);
}

std::string ParseBatchArgs(const std::vector<std::string>& args, BatchRequest* request) {
    ArgumentCursor cursor(args);
    std::string value;
    bool haveJobs = false;
    while (cursor.Next()) {
        const std::string& arg = cursor.Current();
        const bool needsValue = cursor.Is("--manifest") || cursor.Is("--shard") || cursor.Is("--jobs");
        if (needsValue && !cursor.TakeValue(&value))
            return Quoted(arg) + " needs a value";
        if (!cursor.IsOption()) {
            if (haveJobs)
                return "more than one jobs file given";
            request->jobs = arg;
            haveJobs = true;
        } else if (cursor.Is("-h", "--help")) {
            request->help = true;
        } else if (cursor.Is("-q", "--quiet")) {
            request->quiet = true;
        } else if (cursor.Is("--manifest")) {
            request->manifest = value;
        } else if (cursor.Is("--shard")) {
            if (!ParseShard(value, request))
                return "--shard takes I/N, 0 <= I < N";
        } else if (cursor.Is("--jobs")) {
            if (!SmallNumber(value, 1, 64, &request->workers))
                return "--jobs takes a number from 1 to 64";
        } else {
            return "unknown option " + Quoted(arg);
        }
    }
    return haveJobs || request->help ? "" : "no jobs file given";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool Blank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

// The keys of the jobs a manifest records as done. A last line cut short by
// a killed run is no record: its job runs again.
std::set<std::string> DoneJobs(const std::string& text) {
    std::set<std::string> done;
    for (const std::string& line : Lines(text)) {
        JsonObject object;
        std::string problem;
        BatchJob job;
        if (ParseJsonObject(line, &object, &problem) && object.count("status") && object["status"].text == "ok" &&
            JobFromObject(object, true, &job, &problem))
            done.insert(job.Key());
    }
    return done;
}

std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    const std::string prefix = "zemtool: ";
    if (line.compare(0, prefix.size(), prefix) == 0)
        line.erase(0, prefix.size());
    return line;
}

// The options a job's command runs with, besides its input and output.
std::vector<std::string> JobOptions(const BatchJob& job) {
    std::vector<std::string> passed;
    if (job.command == "convert") {
        passed = {"--to", job.to};
        if (job.level) {
            passed.push_back("--level");
            passed.push_back(std::to_string(job.level));
        }
    } else if (job.level) {
        passed = {"--level", std::to_string(job.level)};
    }
    if (job.command == "ripcheck")
        passed.push_back("--json");
    return passed;
}

// A convert job's files, one a line as convert prints them.
std::vector<std::string> Outputs(const BatchJob& job, const std::string& printed) {
    if (job.command != "convert")
        return job.output.empty() ? std::vector<std::string>() : std::vector<std::string>{job.output};
    return Lines(printed);
}

JobResult RunJob(const BatchJob& job, int threads) {
    const auto start = std::chrono::steady_clock::now();
    JobResult result;
    std::string why;
    std::ostringstream out, err;
    std::istringstream none;
    int status = ZEMTOOL_FAILED;
    if (!job.output.empty() && !MakeFoldersAbove(job.output, &why))
        err << "zemtool: " << ToolErrorName(CODEC_WRITE_FAILED) << ": " << why << "\n";
    else
        status = RunOneFileCommand(SingleFileArgs(job.command, JobOptions(job), true, threads, job.input,
                                                  job.command == "convert" ? job.outputDir : job.output),
                                   none, out, err);
    // The outputs are on disk before the manifest says the job is done.
    const std::vector<std::string> outputs = Outputs(job, out.str());
    for (const std::string& output : outputs) {
        if (status == ZEMTOOL_OK && KindOfPath(output, &why) == PathKind::RegularFile && !SyncFile(output, &why)) {
            err << "zemtool: " << ToolErrorName(CODEC_WRITE_FAILED) << ": cannot sync " << Quoted(output) << ": " << why
                << "\n";
            status = ZEMTOOL_FAILED;
        }
    }
    result.status = status == ZEMTOOL_OK ? "ok" : "failed";
    if (status != ZEMTOOL_OK)
        result.error = FirstLine(err.str());
    if (job.command == "convert" || job.command == "gain")
        result.report = out.str();
    else if (job.command == "ripcheck" && !out.str().empty())
        result.report = OneLineJson(out.str());
    if (!result.report.empty() && result.report.back() == '\n')
        result.report.pop_back();
    if (job.command == "ripcheck" && status != ZEMTOOL_OK && result.error.empty())
        result.error = "a check did not pass";
    for (const std::string& output : outputs)
        result.bytes += SizeOf(output);
    if (outputs.empty())
        result.bytes = SizeOf(AudioSourceOf(job.input));
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

}  // namespace

int RunBatchCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    BatchRequest request;
    const std::string problem = ParseBatchArgs(args, &request);
    if (request.help) {
        out << kBatchUsage;
        return ZEMTOOL_OK;
    }
    if (!problem.empty())
        return ReportUsageError(err, "batch", problem);
    std::string text, why;
    if (request.jobs == "-")
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    else if (!ReadWholeFile(request.jobs, &text, &why))
        return ReportFailure(err, CODEC_BAD_INPUT, "cannot read " + Quoted(request.jobs) + ": " + why);
    std::set<std::string> done;
    AppendLog manifest;
    if (!request.manifest.empty()) {
        std::string old;
        if (ReadWholeFile(request.manifest, &old, &why))
            done = DoneJobs(old);
        if (!manifest.Open(request.manifest, &why))
            return ReportFailure(err, CODEC_WRITE_FAILED, "cannot open " + Quoted(request.manifest) + ": " + why);
    }

    const std::vector<std::string> lines = Lines(text);
    std::vector<BatchJob> jobs;
    bool malformed = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (Blank(lines[i]))
            continue;
        BatchJob job;
        job.line = i + 1;
        JsonObject object;
        std::string wrong;
        if (!ParseJsonObject(lines[i], &object, &wrong) || !JobFromObject(object, false, &job, &wrong)) {
            // A line that is no job belongs to the share its text hashes to,
            // so that shares together report it once.
            if (!InShard(lines[i], request.shardIndex, request.shardCount))
                continue;
            const std::string where = request.jobs + " line " + std::to_string(i + 1);
            ReportFailure(err, CODEC_BAD_ARGUMENT, where + ": " + wrong);
            BatchJob bad;
            bad.line = i + 1;
            out << ResultLine(bad, {"failed", 0, 0, "line " + std::to_string(i + 1) + ": " + wrong, ""});
            malformed = true;
            continue;
        }
        if (InShard(job.input, request.shardIndex, request.shardCount))
            jobs.push_back(job);
    }

    std::vector<BatchJob> pending;
    for (const BatchJob& job : jobs) {
        if (done.count(job.Key()))
            out << ResultLine(job, {"skipped", 0, 0, "done in an earlier run", ""});
        else
            pending.push_back(job);
    }
    out.flush();
    // What a run killed before left half-written (convert clears its own).
    std::vector<std::string> outputs;
    for (const BatchJob& job : pending)
        outputs.push_back(job.output);
    RemoveLeftoverPartials(outputs);
    RunSummary summary(err, jobs.size(), !request.quiet && StandardErrorIsTerminal(), "job");
    for (size_t i = pending.size(); i < jobs.size(); ++i)
        summary.Skipped();
    const int threads = request.workers > 1 ? std::max(1, WorkerCount(0) / request.workers) : 0;
    std::mutex recording;
    bool manifestFailed = false;
    RunOnWorkers(pending.size(), request.workers, [&](size_t i) {
        const BatchJob& job = pending[i];
        const JobResult result = RunJob(job, threads);
        const std::string line = ResultLine(job, result);
        if (result.status == "ok")
            summary.Done(AudioSecondsOf(job.command == "encode" ? job.output : AudioSourceOf(job.input)),
                         SizeOf(AudioSourceOf(job.input)));
        else
            summary.Failed(job.input, result.error);
        std::string failure;
        {
            std::lock_guard<std::mutex> hold(recording);
            std::string reason;
            if (!request.manifest.empty() && !manifest.Append(line, &reason)) {
                manifestFailed = true;
                failure = "zemtool: " + std::string(ToolErrorName(CODEC_WRITE_FAILED)) + ": cannot write " +
                    Quoted(request.manifest) + ": " + reason + "\n";
            }
        }
        summary.Finished(out, line, failure);
    });
    if (!request.quiet || summary.AnyFailed())
        summary.Print();
    return malformed || manifestFailed || summary.AnyFailed() ? ZEMTOOL_FAILED : ZEMTOOL_OK;
}

}  // namespace zemtool
