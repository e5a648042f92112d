// SPDX-License-Identifier: BSD-3-Clause
// The options that spread a command (encode, decode, verify, info, convert,
// gain, ripcheck) over many files, read apart from each file's own options,
// which pass through unchanged.
#pragma once

#include <string>
#include <vector>

namespace zemtool {

struct CollectionOptions {
    std::string command;
    std::vector<std::string> passed;    // each file's own options, with their values
    std::vector<std::string> operands;  // the files named
    std::vector<std::string> folders;   // -r/--recursive DIR
    std::string output;                 // -o OUT, with one input
    std::string outputDir;              // --output-dir DIR (encode, decode, convert)
    std::string target;                 // convert's --to, "" for its default
    int jobs = 1;
    bool jobsGiven = false;
    bool deleteInput = false;
    bool force = false;
    bool quiet = false;
    bool threadsGiven = false;
    bool help = false;
    bool album = false;  // gain --album: the files make one album, measured in one run
};

// True for the commands whose work on one file runs on one thread (convert's
// tracks aside): their files run side by side on every core by default.
bool RunsFilesSideBySide(const std::string& command);

// Parses the arguments after the command's name. Returns an empty text or
// what is wrong.
std::string ParseCollectionOptions(const std::string& command, const std::vector<std::string>& args,
                                   CollectionOptions& options);

// True when the command line asks for the many-file form: options of that
// form, inputs named by a folder, or inputs where the single-file form takes
// an input and an output. `encode A B` and `decode A B` keep their meaning
// (input, output) unless B is an existing file of the command's input kind
// that is not A itself.
bool WantsManyFiles(const CollectionOptions& options);

// True when `path`, found in a folder, is a file the command takes there
// (by its extension: .wav for encode; .zem and .qrb for decode, verify and
// info; cue sheets and streams for convert, gain and ripcheck, and FLAC files
// for convert to another format).
bool IsInputOf(const CollectionOptions& options, const std::string& path);

}  // namespace zemtool
