#include "tools/zemtool/links_command.h"

#include "tessarine/app/link_builder.h"
#include "tessarine/codec/codec_error.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/output_target.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/utf_text.h"
#include "tools/zemtool/zemtool.h"

#include <algorithm>

namespace zemtool {
namespace {

const char kDefaultTemplate[] = "ARTIST - ALBUM - TRACK# - TITLE";

struct LinksRequest {
    bool help = false;
    bool haveSheet = false;
    std::string sheet;
    std::string naming = kDefaultTemplate;
};

// Returns an empty text on success, else what is wrong with the arguments.
std::string ParseLinksArgs(const std::vector<std::string>& args, LinksRequest& request) {
    bool optionsEnded = false;
    for (size_t index = 0; index < args.size(); ++index) {
        const std::string& arg = args[index];
        if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            request.help = true;
        } else if (!optionsEnded && arg == "--template") {
            if (++index == args.size())
                return "--template needs a naming template";
            request.naming = args[index];
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + Quoted(arg);
        } else if (request.haveSheet) {
            return "more than one cue sheet given";
        } else {
            request.sheet = arg;
            request.haveSheet = true;
        }
    }
    if (!request.help && !request.haveSheet)
        return "no cue sheet given";
    return {};
}

// Each file once, in the order the job first wrote it (a later track of the
// same name replaced the earlier one's file).
std::vector<WString> UniquePaths(const std::vector<WString>& paths) {
    std::vector<WString> unique;
    for (const WString& path : paths) {
        if (std::find(unique.begin(), unique.end(), path) == unique.end())
            unique.push_back(path);
    }
    return unique;
}

}  // namespace

int RunLinksCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    LinksRequest request;
    const std::string problem = ParseLinksArgs(args, request);
    if (request.help) {
        out << kLinksUsage;
        return ZEMTOOL_OK;
    }
    if (!problem.empty())
        return ReportUsageError(err, "links", problem);
    if (!CanOpenFile(request.sheet))
        return ReportFailure(err, CODEC_BAD_INPUT, "cannot open cue sheet " + Quoted(request.sheet));
    const LinkBuildResult result =
        BuildLinkFiles(LibraryPath(request.sheet).c_str(), WideFromUtf8(request.naming).c_str());
    if (result.tracks == 0)
        return ReportFailure(err, CODEC_BAD_INPUT, Quoted(request.sheet) + " lists no audio track (no TRACK 01 AUDIO)");
    for (const WString& path : UniquePaths(result.written))
        out << Utf8FromWide(path) << "\n";
    if (!result.failed.empty()) {
        for (const WString& path : result.failed)
            err << "zemtool: cannot create " << Quoted(Utf8FromWide(path)) << ": "
                << WhyCannotCreate(Utf8FromWide(path)) << "\n";
        return ReportFailure(err, CODEC_WRITE_FAILED,
                             std::to_string(result.failed.size()) + " of " + std::to_string(result.tracks) +
                                 " link files could not be created");
    }
    return ZEMTOOL_OK;
}

}  // namespace zemtool
