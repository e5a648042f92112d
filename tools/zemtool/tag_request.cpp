// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_request.h"

#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/tool_failure.h"

namespace zemtool {
namespace {

std::string ParseSetArgument(const std::string& text, TagRequest& request) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        return "--set needs NAME=VALUE, not " + Quoted(text);
    TagEdit edit{TagEdit::Set, text.substr(0, equals), text.substr(equals + 1)};
    if (!IsStorableFieldName(edit.name))
        return "invalid field name " + Quoted(edit.name) + " (printable ASCII only)";
    request.edits.push_back(std::move(edit));
    return {};
}

std::string ParseDeleteArgument(const std::string& name, TagRequest& request) {
    if (!IsStorableFieldName(name))
        return "invalid field name " + Quoted(name) + " (printable ASCII only)";
    request.edits.push_back({TagEdit::Delete, name, {}});
    return {};
}

std::string TakeFile(const std::string& arg, TagRequest& request) {
    if (request.haveFile)
        return "unexpected argument " + Quoted(arg) + " (one file at a time)";
    request.file = arg;
    request.haveFile = true;
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
        const bool takesValue = cursor.Is("--set", "--delete") || cursor.Is("--set-cuesheet");
        if (takesValue && !cursor.TakeValue(&value))
            return arg + " needs a value";
        std::string problem;
        if (!cursor.IsOption())
            problem = TakeFile(arg, request);
        else if (cursor.Is("-h", "--help"))
            request.help = true;
        else if (cursor.Is("--set"))
            problem = ParseSetArgument(value, request);
        else if (cursor.Is("--set-cuesheet"))
            request.edits.push_back({TagEdit::Set, "Cuesheet", value, true});
        else if (cursor.Is("--delete"))
            problem = ParseDeleteArgument(value, request);
        else if (cursor.Is("--remove"))
            request.edits.push_back({TagEdit::DeleteAll, {}, {}});
        else if (cursor.Is("--id3v1"))
            request.id3v1 = true;
        else
            problem = "unknown option " + Quoted(arg);
        if (!problem.empty())
            return problem;
    }
    return request.help || request.haveFile ? std::string() : "no file given";
}

}  // namespace zemtool
