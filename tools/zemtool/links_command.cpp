// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/links_command.h"

#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/output_target.h"
#include "tools/zemtool/printable_text.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <zem/zem.h>

#include <memory>

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

struct CueCloser {
    void operator()(zem_cue* cue) const { zem_cue_close(cue); }
};
using CuePtr = std::unique_ptr<zem_cue, CueCloser>;

// A text the library copies out: `copy(buffer, size)` returns its length or a
// negative error (then `*text` is what the buffer got, if anything).
template <class Copy>
long CopiedText(Copy copy, std::string* text) {
    const long length = copy(nullptr, 0);
    std::string buffer(static_cast<size_t>(length < 0 ? 4096 : length + 1), '\0');
    const long got = copy(&buffer[0], buffer.size());
    *text = buffer.c_str();
    return got;
}

// The image's tag holds the field the sheet is stored in.
bool HasCueSheetInTag(const std::string& image) {
    int error = 0;
    zem_tag* tag = zem_tag_open(image.c_str(), &error);
    const bool has = tag && zem_tag_get(tag, "Cuesheet");
    zem_tag_close(tag);
    return has;
}

struct WriteReport {
    std::ostream& out;
    std::ostream& err;
    size_t failures = 0;
};

void ReportLink(void* user, const char* path, const char* failure, int cannotCreate) {
    auto* report = static_cast<WriteReport*>(user);
    if (!failure) {
        report->out << PrintableText(path) << "\n";
        return;
    }
    ++report->failures;
    report->err << "zemtool: " << PrintableText(failure);
    // The library knows only that the file could not be created; the system says why.
    if (cannotCreate)
        report->err << ": " << WhyCannotCreate(path);
    report->err << "\n";
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
    const std::string extension = LowerExtension(request.sheet);
    const bool image = extension == ".zem" || extension == ".qrb";
    if (!CanOpenFile(request.sheet))
        return ReportFailure(err, CODEC_BAD_INPUT,
                             std::string(image ? "cannot open image " : "cannot open cue sheet ") + Quoted(request.sheet));
    int error = 0;
    const CuePtr cue(zem_cue_open_ex(request.sheet.c_str(), request.allowRemotePaths ? ZEM_OPEN_ALLOW_REMOTE_PATHS : 0,
                                     &error));
    if (!cue) {
        if (image && !HasCueSheetInTag(request.sheet))
            return ReportFailure(err, CODEC_BAD_INPUT, Quoted(request.sheet) + " carries no cue sheet in its tag");
        return ReportFailure(err, CODEC_BAD_INPUT, Quoted(request.sheet) + " lists no audio track (no TRACK 01 AUDIO)");
    }
    const char* naming = request.naming.c_str();
    size_t problems = 0;
    std::string text;
    for (int i = 0; CopiedText([&](char* b, size_t n) { return zem_cue_warning(cue.get(), naming, i, b, n); }, &text) >= 0;
         ++i, ++problems)
        err << "zemtool: warning: " << PrintableText(text) << "\n";
    const int tracks = zem_cue_track_count(cue.get());
    if (request.strict) {
        // Names that cannot be written count as problems too: nothing is written.
        for (int i = 0; i < tracks; ++i) {
            if (CopiedText([&](char* b, size_t n) { return zem_cue_link_name(cue.get(), i, naming, b, n); }, &text) ==
                ZEM_ERROR_BAD_INPUT) {
                err << "zemtool: " << PrintableText(text) << "\n";
                ++problems;
            }
        }
        if (problems > 0)
            return ReportFailure(err, CODEC_BAD_INPUT,
                                 std::to_string(problems) + (problems == 1 ? " problem" : " problems") +
                                     " with --strict: no link file written");
    }
    WriteReport report{out, err};
    zem_cue_write_links_ex(cue.get(), naming, nullptr, ReportLink, &report);
    if (report.failures > 0)
        return ReportFailure(err, CODEC_WRITE_FAILED,
                             std::to_string(report.failures) + " of " + std::to_string(tracks) +
                                 " link files could not be created");
    return ZEMTOOL_OK;
}

}  // namespace zemtool
