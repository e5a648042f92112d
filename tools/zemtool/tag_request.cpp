#include "tools/zemtool/tag_request.h"

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
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        const bool takesValue = option && (arg == "--set" || arg == "--delete");
        if (takesValue && i + 1 >= args.size())
            return arg + " needs a value";
        std::string problem;
        if (!option)
            problem = TakeFile(arg, request);
        else if (arg == "-h" || arg == "--help")
            request.help = true;
        else if (arg == "--")
            optionsEnded = true;
        else if (arg == "--set")
            problem = ParseSetArgument(args[++i], request);
        else if (arg == "--delete")
            problem = ParseDeleteArgument(args[++i], request);
        else if (arg == "--remove")
            request.edits.push_back({TagEdit::DeleteAll, {}, {}});
        else if (arg == "--id3v1")
            request.id3v1 = true;
        else
            problem = "unknown option " + Quoted(arg);
        if (!problem.empty())
            return problem;
    }
    return request.help || request.haveFile ? std::string() : "no file given";
}

}  // namespace zemtool
