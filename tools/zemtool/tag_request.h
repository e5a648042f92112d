// SPDX-License-Identifier: BSD-3-Clause
// The parsed command line of `zemtool tag`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zemtool {

struct TagEdit {
    enum Kind { Set, Delete, DeleteAll, SetBinary };
    Kind kind = Set;
    std::string name;   // Set, Delete and SetBinary
    std::string value;  // Set: UTF-8 text; empty deletes
    bool fromCueSheet = false;  // --set-cuesheet: `value` names the sheet's file until it is read
    // --set-picture and --remove-picture: `name` is the picture type's item,
    // known once the whole command line is read; --set-picture's `value`
    // names the image file until it is read into `bytes`.
    bool picture = false;
    std::vector<uint8_t> bytes;  // SetBinary
};

struct TagRequest {
    std::string file;                // the file being worked on
    std::vector<std::string> files;  // every file named, in order
    std::vector<std::string> folders;  // -r DIR: its streams, by name
    bool help = false;
    bool id3v1 = false;
    std::vector<TagEdit> edits;  // in command-line order
    std::string pictureItem = "Cover Art (Front)";  // --picture-type
    std::string exportPicture;                      // --export-picture OUT

    bool ChangesFile() const { return id3v1 || !edits.empty(); }
};

// Returns an empty text on success, else what is wrong with the arguments.
std::string ParseTagArgs(const std::vector<std::string>& args, TagRequest& request);

// A field name the tag format can store and read back: printable ASCII
// (0x20 to 0x7E), not empty, and without '=' so that listings stay readable.
bool IsStorableFieldName(const std::string& name);

}  // namespace zemtool
