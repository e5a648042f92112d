// SPDX-License-Identifier: BSD-3-Clause
// The jobs of `zemtool batch`: one JSON object a line, what each asks for,
// which share of a split run takes it, and the result line it leaves.
#pragma once

#include "tools/zemtool/json_reader.h"

#include <cstdint>
#include <string>

namespace zemtool {

struct BatchJob {
    size_t line = 0;  // 1-based, in the jobs file
    std::string command;
    std::string input;
    std::string output;     // encode and decode; beside the input when the job names none
    int level = 0;          // encode, and convert to zem; 0 for the default
    std::string to;         // convert: "flac", "wav" or "zem"
    std::string outputDir;  // convert: where its files go; "" beside the input

    // What tells one job from another across runs, whatever its line.
    std::string Key() const;
};

// Reads a job from its object. A result line (`result`) may carry the
// result's own members besides. False with what is wrong.
bool JobFromObject(const JsonObject& object, bool result, BatchJob* job, std::string* problem);

// The 64-bit FNV-1a hash of `text`'s bytes.
uint64_t Fnv1a(const std::string& text);

// True when share `index` of `count` takes the job whose input is `input`.
bool InShard(const std::string& input, int index, int count);

struct JobResult {
    std::string status;  // "ok", "failed" or "skipped"
    double seconds = 0;
    int64_t bytes = 0;
    std::string error;
    std::string report;  // what convert, gain and ripcheck print (convert: its files), "" for none
};

// The job and its result as one line of JSON, with its line end.
std::string ResultLine(const BatchJob& job, const JobResult& result);

}  // namespace zemtool
