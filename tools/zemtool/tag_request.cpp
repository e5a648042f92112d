// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_request.h"

#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/tag_picture.h"

#include <algorithm>
#include "tools/zemtool/tool_failure.h"

namespace zemtool {
namespace {

TagEdit Edit(TagEdit::Kind kind, const std::string& name, const std::string& value, bool fromCueSheet = false,
             bool picture = false) {
    TagEdit edit;
    edit.kind = kind;
    edit.name = name;
    edit.value = value;
    edit.fromCueSheet = fromCueSheet;
    edit.picture = picture;
    return edit;
}

std::string ParseSetArgument(const std::string& text, TagRequest& request) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        return "--set needs NAME=VALUE, not " + Quoted(text);
    TagEdit edit = Edit(TagEdit::Set, text.substr(0, equals), text.substr(equals + 1));
    if (!IsStorableFieldName(edit.name))
        return "invalid field name " + Quoted(edit.name) + " (printable ASCII only)";
    request.edits.push_back(std::move(edit));
    return {};
}

std::string ParseDeleteArgument(const std::string& name, TagRequest& request) {
    if (!IsStorableFieldName(name))
        return "invalid field name " + Quoted(name) + " (printable ASCII only)";
    request.edits.push_back(Edit(TagEdit::Delete, name, {}));
    return {};
}

std::string ParsePictureType(const std::string& type, TagRequest& request) {
    if (!PictureItemName(type, &request.pictureItem))
        return "unknown picture type " + Quoted(type) + " (one of " + PictureTypeList() + ")";
    return {};
}

// Picture edits name the item of the command's picture type, wherever
// --picture-type stands; an export reads and changes nothing.
std::string FinishPictureEdits(TagRequest& request) {
    for (TagEdit& edit : request.edits) {
        if (edit.picture)
            edit.name = request.pictureItem;
    }
    const bool setsPicture = std::any_of(request.edits.begin(), request.edits.end(),
                                         [](const TagEdit& edit) { return edit.kind == TagEdit::SetBinary; });
    if (setsPicture && request.id3v1)
        return "an ID3v1 record holds no picture (--set-picture and --id3v1 exclude each other)";
    if (request.exportPicture.empty())
        return {};
    if (request.ChangesFile())
        return "--export-picture changes nothing; give the changes in a command of their own";
    if (request.files.size() != 1 || !request.folders.empty())
        return "--export-picture takes one file";
    return {};
}

}  // namespace

bool IsStorableFieldName(const std::string& name) {
    if (name.empty())
        return false;
    for (char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '=')
            return false;
    }
    return true;
}

std::string ParseTagArgs(const std::vector<std::string>& args, TagRequest& request) {
    ArgumentCursor cursor(args);
    std::string value;
    while (cursor.Next()) {
        const std::string& arg = cursor.Current();
        const bool takesValue = cursor.Is("--set", "--delete") || cursor.Is("--set-cuesheet") ||
                                cursor.Is("--set-picture", "--picture-type") || cursor.Is("--export-picture") ||
                                cursor.Is("-r", "--recursive");
        if (takesValue && !cursor.TakeValue(&value))
            return arg + " needs a value";
        std::string problem;
        if (!cursor.IsOption())
            request.files.push_back(arg);
        else if (cursor.Is("-h", "--help"))
            request.help = true;
        else if (cursor.Is("-r", "--recursive"))
            request.folders.push_back(value);
        else if (cursor.Is("--set"))
            problem = ParseSetArgument(value, request);
        else if (cursor.Is("--set-cuesheet"))
            request.edits.push_back(Edit(TagEdit::Set, "Cuesheet", value, true));
        else if (cursor.Is("--set-picture"))
            request.edits.push_back(Edit(TagEdit::SetBinary, {}, value, false, true));
        else if (cursor.Is("--remove-picture"))
            request.edits.push_back(Edit(TagEdit::Set, {}, {}, false, true));
        else if (cursor.Is("--picture-type"))
            problem = ParsePictureType(value, request);
        else if (cursor.Is("--export-picture"))
            request.exportPicture = value;
        else if (cursor.Is("--delete"))
            problem = ParseDeleteArgument(value, request);
        else if (cursor.Is("--remove"))
            request.edits.push_back(Edit(TagEdit::DeleteAll, {}, {}));
        else if (cursor.Is("--id3v1"))
            request.id3v1 = true;
        else
            problem = "unknown option " + Quoted(arg);
        if (!problem.empty())
            return problem;
    }
    if (request.help)
        return {};
    if (request.files.empty() && request.folders.empty())
        return "no file given";
    return FinishPictureEdits(request);
}

}  // namespace zemtool
