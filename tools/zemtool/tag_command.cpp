// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_command.h"

#include "container/codec_error.h"
#include "io/win32_file.h"
#include "cue/cue_sheet.h"
#include "cue/embedded_cue_sheet.h"
#include "tools/zemtool/collection_options.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/input_search.h"
#include "tools/zemtool/tag_listing.h"
#include "tools/zemtool/tag_picture.h"
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

// Reads each --set-picture image into its edit. Returns an empty text, or
// why an image cannot be stored.
std::string ReadPictures(TagRequest& request) {
    for (TagEdit& edit : request.edits) {
        if (edit.kind != TagEdit::SetBinary)
            continue;
        const std::string problem = ReadPictureItem(edit.value, &edit.bytes);
        if (!problem.empty())
            return problem;
    }
    return {};
}

int RunOnFile(const TagRequest& request, std::ostream& out, std::ostream& err) {
    if (!request.exportPicture.empty()) {
        bool missing = false;
        const std::string problem = ExportPicture(request.file, request.pictureItem, request.exportPicture, &missing);
        if (problem.empty())
            return ZEMTOOL_OK;
        return ReportFailure(err, missing ? CODEC_BAD_INPUT : CODEC_WRITE_FAILED, problem);
    }
    const WString wide = LibraryPath(request.file);
    CWin32File file;
    if (request.file.empty() || file.Open(wide.c_str()) != 0)
        return ReportFailure(err, CODEC_BAD_INPUT, "cannot open " + Quoted(request.file));
    if (!request.ChangesFile()) {
        file.Close();
        if (ListTags(request.file, out) != ZEM_OK)
            return ReportFailure(err, CODEC_BAD_INPUT, "cannot read the tag of " + Quoted(request.file));
        return ZEMTOOL_OK;
    }
    return EditTag(file, request, err);
}

// The files named, then the streams found in -r folders.
std::string ListFiles(const TagRequest& request, std::vector<std::string>* files) {
    CollectionOptions options;
    options.command = "tag";
    options.operands = request.files;
    options.folders = request.folders;
    std::vector<FileItem> items;
    const std::string problem = FindInputs(options, &items);
    for (const FileItem& item : items)
        files->push_back(item.input);
    return problem;
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
    std::vector<std::string> files;
    const std::string listProblem = ListFiles(request, &files);
    if (!listProblem.empty())
        return ReportFailure(err, CODEC_BAD_INPUT, listProblem);
    request.file = files.size() == 1 ? files[0] : std::string();
    std::string sheetProblem = ReadCueSheets(request);
    if (sheetProblem.empty())
        sheetProblem = ReadPictures(request);
    if (!sheetProblem.empty())
        return ReportFailure(err, CODEC_BAD_INPUT,
                             sheetProblem + (files.size() == 1 ? Unchanged(request) : "; no file is changed"));
    // Each file on its own, whole or not at all; a failure leaves the others
    // to be done.
    int status = ZEMTOOL_OK;
    for (const std::string& name : files) {
        request.file = name;
        if (files.size() > 1 && !request.ChangesFile() && request.exportPicture.empty())
            out << "==> " << name << " <==\n";
        if (RunOnFile(request, out, err) != ZEMTOOL_OK)
            status = ZEMTOOL_FAILED;
    }
    return status;
}

}  // namespace zemtool
