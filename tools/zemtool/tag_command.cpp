// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_command.h"

#include "container/codec_error.h"
#include "io/win32_file.h"
#include "cue/cue_sheet.h"
#include "cue/embedded_cue_sheet.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/tag_listing.h"
#include "tools/zemtool/tag_request.h"
#include "tools/zemtool/tag_rewrite.h"
#include "tag/tag_stream_end.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/utf_text.h"
#include "tools/zemtool/zemtool.h"

namespace zemtool {
namespace {

std::string Unchanged(const TagRequest& request) { return "; " + Quoted(request.file) + " is unchanged"; }

int WriteTagArea(CWin32File& file, const TagArea& area, const std::vector<uint8_t>& bytes,
                 const TagRequest& request, std::ostream& err) {
    const std::vector<uint8_t> old = area.Bytes();
    if (bytes == old)
        return ZEMTOOL_OK;
    switch (ReplaceTagArea(file, area.start, old, bytes)) {
    case ReplaceResult::Done: return ZEMTOOL_OK;
    case ReplaceResult::Restored:
        return ReportFailure(err, CODEC_WRITE_FAILED, "cannot write the tag to " + Quoted(request.file) +
                                                          " (is the disk full?)" + Unchanged(request));
    case ReplaceResult::Lost: break;
    }
    return ReportFailure(err, CODEC_WRITE_FAILED,
                         "cannot write the tag to " + Quoted(request.file) + ", nor put its old tag back: the " +
                             std::to_string(old.size()) + " bytes from byte " + std::to_string(area.start) +
                             " on are damaged");
}

int EditTag(CWin32File& file, const TagRequest& request, std::ostream& err) {
    if (file.IsReadOnly())
        return ReportFailure(err, CODEC_WRITE_FAILED,
                             Quoted(request.file) + " is read-only or in use; its tag cannot be changed");
    TagArea area;
    const std::string problem = ReadTagArea(file, StreamAudioEnd(file), &area);
    if (!problem.empty())
        return ReportFailure(err, CODEC_BAD_INPUT,
                             "the tag of " + Quoted(request.file) + " cannot be rewritten safely: " + problem +
                                 Unchanged(request));
    // Every edit is made in memory first, so a failing one leaves the file alone.
    std::vector<uint8_t> bytes;
    std::string reason;
    if (int error = RewriteTagArea(area, request, &bytes, reason))
        return ReportFailure(err, error, reason + Unchanged(request));
    return WriteTagArea(file, area, bytes, request, err);
}

// Reads each --set-cuesheet file into its edit's value, decoded as Tessarine
// reads cue sheets. Returns an empty text, or why a sheet cannot be stored.
std::string ReadCueSheets(TagRequest& request) {
    for (TagEdit& edit : request.edits) {
        if (!edit.fromCueSheet)
            continue;
        const std::string sheet = edit.value;
        const WString text = CanOpenFile(sheet) ? ReadCueSheetText(LibraryPath(sheet).c_str()) : WString();
        if (text.empty())
            return "cannot read cue sheet " + Quoted(sheet);
        if (ParseCueSheetText(text).tracks.empty())
            return Quoted(sheet) + " lists no audio track (no TRACK 01 AUDIO)";
        edit.value = CueSheetToUtf8(text);
        edit.fromCueSheet = false;
    }
    return {};
}

}  // namespace

int RunTagCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TagRequest request;
    const std::string problem = ParseTagArgs(args, request);
    if (request.help) {
        out << kTagUsage;
        return ZEMTOOL_OK;
    }
    if (!problem.empty())
        return ReportUsageError(err, "tag", problem);
    const std::string sheetProblem = ReadCueSheets(request);
    if (!sheetProblem.empty())
        return ReportFailure(err, CODEC_BAD_INPUT, sheetProblem + Unchanged(request));
    const WString wide = LibraryPath(request.file);
    CWin32File file;
    if (request.file.empty() || file.Open(wide.c_str()) != 0)
        return ReportFailure(err, CODEC_BAD_INPUT, "cannot open " + Quoted(request.file));
    if (!request.ChangesFile()) {
        ListTags(file, out);
        return ZEMTOOL_OK;
    }
    return EditTag(file, request, err);
}

}  // namespace zemtool
