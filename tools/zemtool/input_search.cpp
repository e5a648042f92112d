// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/input_search.h"

#include "tools/zemtool/file_names.h"
#include "tools/zemtool/tool_failure.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace zemtool {
namespace {

// Names pass as UTF-8 on Windows and as their bytes elsewhere.
fs::path PathOf(const std::string& name) {
#ifdef _WIN32
    return SystemPath(name);
#else
    return fs::path(name);
#endif
}

std::string NameOf(const fs::path& path) {
#ifdef _WIN32
    return path.u8string();
#else
    return path.string();
#endif
}

std::string OutputExtension(const std::string& command) { return command == "encode" ? ".zem" : ".wav"; }

// The output of `input`, which lies at `relative` below the folder it was found in.
std::string OutputOf(const CollectionOptions& options, const std::string& input, const std::string& relative) {
    if (options.command == "convert") {
        // The folder its files go into: convert names them itself.
        if (options.outputDir.empty())
            return {};
        const std::string below = NameOf(PathOf(relative).parent_path());
        return below.empty() ? options.outputDir : NameOf(PathOf(options.outputDir) / PathOf(below));
    }
    if (options.command != "encode" && options.command != "decode")
        return {};
    if (!options.output.empty())
        return options.output;
    const std::string renamed = ReplaceExtension(relative, OutputExtension(options.command));
    if (options.outputDir.empty())
        return ReplaceExtension(input, OutputExtension(options.command));
    std::string folder = options.outputDir;
    if (folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    return folder + renamed;
}

std::string LastPart(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A stream whose cue sheet lies beside it under the same name is the sheet's
// image: the sheet stands for it, so that its tracks are not taken twice.
void DropImagesOfSheets(std::vector<std::pair<std::string, std::string>>* found) {
    std::set<std::string> sheets;
    for (const auto& entry : *found) {
        if (LowerExtension(entry.first) == ".cue")
            sheets.insert(ReplaceExtension(entry.first, ""));
    }
    found->erase(std::remove_if(found->begin(), found->end(),
                                [&](const auto& entry) {
                                    const std::string extension = LowerExtension(entry.first);
                                    return (extension == ".zem" || extension == ".qrb") &&
                                        sheets.count(ReplaceExtension(entry.first, ""));
                                }),
                 found->end());
}

}  // namespace

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? path.substr(0, dot) : path) + extension;
}

bool MakeFoldersAbove(const std::string& path, std::string* why) {
    const fs::path folder = PathOf(path).parent_path();
    if (folder.empty())
        return true;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        *why = "cannot make the folder of " + Quoted(path) + ": " + error.message();
    return !error;
}

std::string FindInputs(const CollectionOptions& options, std::vector<FileItem>* items) {
    for (const std::string& operand : options.operands)
        items->push_back({operand, OutputOf(options, operand, LastPart(operand))});
    for (const std::string& folder : options.folders) {
        std::error_code error;
        const fs::path root = PathOf(folder);
        fs::recursive_directory_iterator walk(root, error), end;
        if (error)
            return "cannot read the folder " + Quoted(folder) + ": " + error.message();
        std::vector<std::pair<std::string, std::string>> found;  // name, name below the folder
        for (; walk != end; walk.increment(error)) {
            if (error)
                return "cannot read the folder " + Quoted(folder) + ": " + error.message();
            std::error_code typeError;
            if (!walk->is_regular_file(typeError))
                continue;
            const std::string name = NameOf(walk->path());
            if (IsInputOf(options, name))
                found.emplace_back(name, NameOf(walk->path().lexically_relative(root)));
        }
        if (RunsFilesSideBySide(options.command))
            DropImagesOfSheets(&found);
        std::sort(found.begin(), found.end());
        for (const auto& [name, relative] : found)
            items->push_back({name, OutputOf(options, name, relative), true});
    }
    return {};
}

}  // namespace zemtool
