// SPDX-License-Identifier: BSD-3-Clause
// The parsed command line of `zemtool tag`.
#pragma once

#include <string>
#include <vector>

namespace zemtool {

struct TagEdit {
    enum Kind { Set, Delete, DeleteAll };
    Kind kind;
    std::string name;   // Set and Delete
    std::string value;  // Set: UTF-8 text; empty deletes
    bool fromCueSheet = false;  // --set-cuesheet: `value` names the sheet's file until it is read
};

struct TagRequest {
    std::string file;
    bool haveFile = false;
    bool help = false;
    bool id3v1 = false;
    std::vector<TagEdit> edits;  // in command-line order

    bool ChangesFile() const { return id3v1 || !edits.empty(); }
};

// Returns an empty text on success, else what is wrong with the arguments.
std::string ParseTagArgs(const std::vector<std::string>& args, TagRequest& request);

// A field name the tag format can store and read back: printable ASCII
// (0x20 to 0x7E), not empty, and without '=' so that listings stay readable.
bool IsStorableFieldName(const std::string& name);

}  // namespace zemtool
