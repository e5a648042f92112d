// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/collection_options.h"

#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/native_file.h"
#include "tools/zemtool/output_target.h"
#include "tools/zemtool/tool_failure.h"

#include <cstdlib>

namespace zemtool {
namespace {

bool ParseJobs(const std::string& text, int* jobs) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *jobs = std::atoi(text.c_str());
    return *jobs >= 1 && *jobs <= 64;
}

bool TakesOutput(const std::string& command) { return command == "encode" || command == "decode"; }

bool TakesOutputFolder(const std::string& command) { return TakesOutput(command) || command == "convert"; }

// The command's own options that take a value, passed on to each file's run.
bool IsValueOption(const std::string& command, const ArgumentCursor& cursor) {
    if (command == "convert")
        return cursor.Is("--to") || cursor.Is("--template") || cursor.Is("--flac-level") || cursor.Is("--level") ||
            cursor.Is("--threads");
    if (command == "ripcheck")
        return cursor.Is("--log") || cursor.Is("--database") || cursor.Is("--timeout");
    if (command == "gain")
        return false;
    return cursor.Is("--threads") || cursor.Is("--level") || cursor.Is("--frame-blocks");
}

}  // namespace

bool RunsFilesSideBySide(const std::string& command) {
    return command == "convert" || command == "gain" || command == "ripcheck";
}

std::string ParseCollectionOptions(const std::string& command, const std::vector<std::string>& args,
                                   CollectionOptions& options) {
    options.command = command;
    ArgumentCursor cursor(args);
    std::string value;
    while (cursor.Next()) {
        const std::string& arg = cursor.Current();
        const bool ours = cursor.Is("-r", "--recursive") || cursor.Is("--jobs") ||
            (TakesOutput(command) && cursor.Is("-o")) || (TakesOutputFolder(command) && cursor.Is("--output-dir"));
        const bool theirs = IsValueOption(command, cursor);
        if ((ours || theirs) && !cursor.TakeValue(&value))
            return Quoted(arg) + " needs a value";
        if (!cursor.IsOption()) {
            options.operands.push_back(arg);
        } else if (cursor.Is("-r", "--recursive")) {
            options.folders.push_back(value);
        } else if (cursor.Is("--jobs")) {
            if (!ParseJobs(value, &options.jobs))
                return "--jobs takes a number from 1 to 64";
            options.jobsGiven = true;
        } else if (ours && cursor.Is("-o")) {
            options.output = value;
        } else if (ours && cursor.Is("--output-dir")) {
            if (value.empty() && command == "convert")
                return "--output-dir needs a folder";
            options.outputDir = value;
        } else if (TakesOutput(command) && cursor.Is("--delete-input")) {
            options.deleteInput = true;
        } else if (TakesOutput(command) && cursor.Is("-f", "--force")) {
            options.force = true;
        } else {
            if (cursor.Is("-q", "--quiet"))
                options.quiet = true;
            if (cursor.Is("-h", "--help"))
                options.help = true;
            if (command == "gain" && cursor.Is("--album"))
                options.album = true;
            if (command == "convert" && cursor.Is("--to"))
                options.target = value;
            options.threadsGiven = options.threadsGiven || cursor.Is("--threads");
            options.passed.push_back(arg);
            if (theirs)
                options.passed.push_back(value);
        }
    }
    if (!options.output.empty() && !options.outputDir.empty())
        return "-o and --output-dir exclude each other";
    return {};
}

bool IsInputOf(const CollectionOptions& options, const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (options.command == "encode")
        return extension == ".wav";
    const bool stream = extension == ".zem" || extension == ".qrb";
    if (!RunsFilesSideBySide(options.command))
        return stream;
    const bool flacIn = options.command == "convert" && !options.target.empty() && options.target != "flac";
    return stream || extension == ".cue" || (flacIn && extension == ".flac");
}

bool WantsManyFiles(const CollectionOptions& options) {
    if (options.help)
        return false;
    const size_t count = options.operands.size();
    if (RunsFilesSideBySide(options.command))
        return !options.folders.empty() || options.jobsGiven || count > 1;
    if (!options.folders.empty() || options.jobsGiven || !options.output.empty() || !options.outputDir.empty() ||
        options.deleteInput || options.force)
        return true;
    if (!TakesOutput(options.command))
        return count > 1;
    if (count == 1)
        return options.operands[0] != "-";
    if (count != 2)
        return count > 2;
    const std::string& first = options.operands[0];
    const std::string& second = options.operands[1];
    const std::string extension = LowerExtension(second);
    const bool inputKind = options.command == "encode"
        ? extension == ".wav"
        : extension == ".zem" || extension == ".qrb" || extension == ".zlk";
    std::string why;
    return first != "-" && inputKind && KindOfPath(second, &why) == PathKind::RegularFile &&
        RefuseInputAsOutput(first, second).empty();
}

}  // namespace zemtool
