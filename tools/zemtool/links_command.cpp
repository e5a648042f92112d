// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/links_command.h"

#include "container/codec_error.h"
#include "cue/embedded_cue_sheet.h"
#include "cue/link_builder.h"
#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/output_target.h"
#include "tools/zemtool/printable_text.h"
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
    bool strict = false;
    bool allowRemotePaths = false;
    std::string sheet;
    std::string naming = kDefaultTemplate;
};

// Returns an empty text on success, else what is wrong with the arguments.
std::string ParseLinksArgs(const std::vector<std::string>& args, LinksRequest& request) {
    ArgumentCursor cursor(args);
    while (cursor.Next()) {
        const std::string& arg = cursor.Current();
        if (cursor.Is("-h", "--help")) {
            request.help = true;
        } else if (cursor.Is("--template")) {
            if (!cursor.TakeValue(&request.naming))
                return "--template needs a naming template";
        } else if (cursor.Is("--strict")) {
            request.strict = true;
        } else if (cursor.Is("--allow-remote-paths")) {
            request.allowRemotePaths = true;
        } else if (cursor.IsOption()) {
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

std::string Printable(const WString& text) { return PrintableText(Utf8FromWide(text)); }

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
    const std::string extension = LowerExtension(request.sheet);
    const bool image = extension == ".zem" || extension == ".qrb";
    if (!CanOpenFile(request.sheet))
        return ReportFailure(err, CODEC_BAD_INPUT,
                             std::string(image ? "cannot open image " : "cannot open cue sheet ") + Quoted(request.sheet));
    LinkPlan plan;
    if (image) {
        const WString path = LibraryPath(request.sheet);
        const WString sheet = ReadEmbeddedCueSheet(path.c_str());
        if (sheet.empty())
            return ReportFailure(err, CODEC_BAD_INPUT, Quoted(request.sheet) + " carries no cue sheet in its tag");
        plan = PlanLinksForImage(sheet, path, WideFromUtf8(request.naming));
    } else {
        LinkJobOptions options;
        options.allowRemotePaths = request.allowRemotePaths;
        plan = PlanLinkFiles(LibraryPath(request.sheet).c_str(), WideFromUtf8(request.naming).c_str(), options);
    }
    if (plan.sheet.tracks.empty())
        return ReportFailure(err, CODEC_BAD_INPUT, Quoted(request.sheet) + " lists no audio track (no TRACK 01 AUDIO)");
    for (const LinkWarning& warning : plan.warnings)
        err << "zemtool: warning: " << Printable(warning.text) << "\n";
    if (request.strict) {
        // Names that cannot be written count as problems too: nothing is written.
        size_t problems = plan.warnings.size();
        for (const PlannedLink& link : plan.links) {
            if (!link.problem.empty()) {
                err << "zemtool: " << Printable(link.problem) << "\n";
                ++problems;
            }
        }
        if (problems > 0)
            return ReportFailure(err, CODEC_BAD_INPUT,
                                 std::to_string(problems) + (problems == 1 ? " problem" : " problems") +
                                     " with --strict: no link file written");
    }
    const LinkBuildResult result = WriteLinkFiles(plan);
    for (const WString& path : UniquePaths(result.written))
        out << Printable(path) << "\n";
    if (!result.failed.empty()) {
        for (const LinkFailure& failure : result.failed) {
            err << "zemtool: " << Printable(failure.reason);
            // The job knows only that the file could not be created; the system says why.
            if (failure.createFailed)
                err << ": " << WhyCannotCreate(Utf8FromWide(failure.path));
            err << "\n";
        }
        return ReportFailure(err, CODEC_WRITE_FAILED,
                             std::to_string(result.failed.size()) + " of " + std::to_string(result.tracks) +
                                 " link files could not be created");
    }
    return ZEMTOOL_OK;
}

}  // namespace zemtool
