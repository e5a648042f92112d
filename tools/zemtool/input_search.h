// SPDX-License-Identifier: BSD-3-Clause
// The files a many-file run works on: the ones named, then those found in
// folders, each with the name of its output.
#pragma once

#include "tools/zemtool/collection_options.h"

#include <string>
#include <vector>

namespace zemtool {

struct FileItem {
    std::string input;
    std::string output;  // encode and decode; convert's output folder ("" beside the input)
    bool found = false;  // found in a folder rather than named
};

// Lists the inputs, folders' files sorted by name. Returns an empty text or
// why a folder cannot be read.
std::string FindInputs(const CollectionOptions& options, std::vector<FileItem>* items);

// `path` with its extension (the last '.' of its last part) replaced by
// `extension`, or `extension` added when it has none.
std::string ReplaceExtension(const std::string& path, const std::string& extension);

// Makes the folders above `path` that are missing.
bool MakeFoldersAbove(const std::string& path, std::string* why);

}  // namespace zemtool
