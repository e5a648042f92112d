// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/batch_jobs.h"

#include "tools/zemtool/input_search.h"
#include "tools/zemtool/json_writer.h"

#include <cstdio>
#include <cstdlib>

namespace zemtool {
namespace {

bool IsResultMember(const std::string& key) {
    return key == "job" || key == "status" || key == "seconds" || key == "bytes" || key == "error" ||
        key == "report";
}

bool TakeLevel(const JsonValue& value, int* level) {
    const std::string& text = value.text;
    if (value.kind != JsonValue::Number || text.size() != 4 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *level = std::atoi(text.c_str());
    return *level >= 1000 && *level <= 5000 && *level % 1000 == 0;
}

bool KnownCommand(const std::string& command) {
    return command == "verify" || command == "encode" || command == "decode" || command == "convert" ||
        command == "gain" || command == "ripcheck";
}

}  // namespace

std::string BatchJob::Key() const {
    std::string key = command + '\n' + input + '\n' + output + '\n' + std::to_string(level);
    if (command == "convert")
        key += '\n' + to + '\n' + outputDir;
    return key;
}

bool JobFromObject(const JsonObject& object, bool result, BatchJob* job, std::string* problem) {
    for (const auto& [key, value] : object) {
        const bool text = value.kind == JsonValue::String;
        if (key == "command" && text) {
            job->command = value.text;
        } else if (key == "input" && text) {
            job->input = value.text;
        } else if (key == "output" && text) {
            job->output = value.text;
        } else if (key == "to" && text && (value.text == "flac" || value.text == "wav" || value.text == "zem")) {
            job->to = value.text;
        } else if (key == "to") {
            *problem = "\"to\" takes \"flac\", \"wav\" or \"zem\"";
            return false;
        } else if (key == "output_dir" && text && !value.text.empty()) {
            job->outputDir = value.text;
        } else if (key == "output_dir") {
            *problem = "\"output_dir\" takes a folder's name";
            return false;
        } else if (key == "level") {
            if (!TakeLevel(value, &job->level)) {
                *problem = "\"level\" takes 1000, 2000, 3000, 4000 or 5000";
                return false;
            }
        } else if (key == "command" || key == "input" || key == "output") {
            *problem = "\"" + key + "\" takes a string";
            return false;
        } else if (!(result && IsResultMember(key))) {
            *problem = "unknown member \"" + key + "\"";
            return false;
        }
    }
    if (!KnownCommand(job->command)) {
        *problem = job->command.empty() ? "no \"command\"" : "unknown command \"" + job->command + "\"";
        return false;
    }
    if (job->input.empty()) {
        *problem = "no \"input\"";
        return false;
    }
    const bool oneOutput = job->command == "encode" || job->command == "decode";
    if (!oneOutput && !job->output.empty()) {
        *problem = job->command + " takes no \"output\"" + (job->command == "convert" ? " (\"output_dir\")" : "");
        return false;
    }
    if (job->command != "convert" && (!job->to.empty() || !job->outputDir.empty())) {
        *problem = job->command + " takes no \"" + (job->to.empty() ? "output_dir" : "to") + "\"";
        return false;
    }
    if (job->command == "convert" && job->to.empty())
        job->to = "flac";
    if (job->level != 0 && job->command != "encode" && !(job->command == "convert" && job->to == "zem")) {
        *problem = job->command + " takes no \"level\"" + (job->command == "convert" ? " unless \"to\" is zem" : "");
        return false;
    }
    if (oneOutput && job->output.empty())
        job->output = ReplaceExtension(job->input, job->command == "encode" ? ".zem" : ".wav");
    return true;
}

uint64_t Fnv1a(const std::string& text) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (unsigned char byte : text) {
        hash ^= byte;
        hash *= 0x100000001b3u;
    }
    return hash;
}

bool InShard(const std::string& input, int index, int count) {
    return Fnv1a(input) % static_cast<uint64_t>(count) == static_cast<uint64_t>(index);
}

std::string ResultLine(const BatchJob& job, const JobResult& result) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", result.seconds);
    std::string line = "{\"job\": " + std::to_string(job.line);
    if (!job.command.empty())
        line += ", \"command\": " + JsonQuote(job.command);
    if (!job.input.empty())
        line += ", \"input\": " + JsonQuote(job.input);
    if (!job.output.empty())
        line += ", \"output\": " + JsonQuote(job.output);
    if (job.level)
        line += ", \"level\": " + std::to_string(job.level);
    if (!job.to.empty())
        line += ", \"to\": " + JsonQuote(job.to);
    if (!job.outputDir.empty())
        line += ", \"output_dir\": " + JsonQuote(job.outputDir);
    line += ", \"status\": " + JsonQuote(result.status) + ", \"seconds\": " + seconds +
        ", \"bytes\": " + std::to_string(result.bytes) + ", \"error\": " + JsonQuote(result.error);
    if (!result.report.empty())
        line += ", \"report\": " + JsonQuote(result.report);
    line += "}\n";
    return line;
}

}  // namespace zemtool
