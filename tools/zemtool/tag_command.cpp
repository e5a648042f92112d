// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/tag_command.h"

#include "tools/zemtool/collection_options.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/input_search.h"
#include "tools/zemtool/tag_edits.h"
#include "tools/zemtool/tag_listing.h"
#include "tools/zemtool/tag_picture.h"
#include "tools/zemtool/tag_request.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <zem/zem.h>

#include <memory>

namespace zemtool {
namespace {

struct TagCloser {
    void operator()(zem_tag* tag) const { zem_tag_close(tag); }
};
using TagHandle = std::unique_ptr<zem_tag, TagCloser>;

std::string Unchanged(const TagRequest& request) { return "; " + Quoted(request.file) + " is unchanged"; }

// One tag alone is saved as the library saves it: as a ZEM tag, or as an
// ID3v1 record with --id3v1. A ZEM tag followed by a record stays so, both
// edited.
unsigned SaveFlags(const TagRequest& request) { return request.id3v1 ? ZEM_TAG_SAVE_ID3V1 : ZEM_TAG_SAVE_ZEM_ONLY; }

// Why the file cannot take the tag, found before anything is written or by the write itself.
int ReportSaveFailure(const zem_tag* tag, int error, const TagRequest& request, std::ostream& err) {
    switch (error) {
    case ZEM_ERROR_CANNOT_OPEN:
        return ReportFailure(err, CODEC_WRITE_FAILED,
                             Quoted(request.file) + " is read-only or in use; its tag cannot be changed");
    case ZEM_ERROR_BAD_INPUT:
        return ReportFailure(err, CODEC_BAD_INPUT,
                             "the tag of " + Quoted(request.file) + " cannot be rewritten safely: " +
                                 TagErrorDetail(tag) + Unchanged(request));
    case ZEM_ERROR_WRITE_FAILED:
        return ReportFailure(err, CODEC_WRITE_FAILED, "cannot write the tag to " + Quoted(request.file) +
                                                          " (is the disk full?)" + Unchanged(request));
    case ZEM_ERROR_FAILED:
        // Writing failed, and so did putting the old bytes back.
        return ReportFailure(err, CODEC_WRITE_FAILED,
                             "cannot write the tag to " + Quoted(request.file) + ", nor put its old tag back: " +
                                 TagErrorDetail(tag));
    default: break;
    }
    return ReportFailure(err, error == ZEM_ERROR_NO_MEMORY ? CODEC_NO_MEMORY : CODEC_FAILED,
                         "cannot write the tag to " + Quoted(request.file) + ": " + zem_error_text(error));
}

int EditTag(const TagRequest& request, std::ostream& err) {
    int error = ZEM_OK;
    const TagHandle tag(zem_tag_open(request.file.c_str(), &error));
    if (!tag)
        return ReportFailure(err, CODEC_BAD_INPUT, "cannot open " + Quoted(request.file));
    if (zem_tag_check_save(tag.get(), 0) == ZEM_ERROR_CANNOT_OPEN)
        return ReportSaveFailure(tag.get(), ZEM_ERROR_CANNOT_OPEN, request, err);
    // Every edit is made in memory first, so a failing one leaves the file
    // alone; a file that cannot take any tag is named before a refused edit.
    std::string reason;
    const int edited = ApplyTagEdits(tag.get(), request.edits, reason);
    const unsigned flags = SaveFlags(request);
    const int check = zem_tag_check_save(tag.get(), flags);
    if (check == ZEM_ERROR_CANNOT_OPEN || check == ZEM_ERROR_BAD_INPUT)
        return ReportSaveFailure(tag.get(), check, request, err);
    if (edited != CODEC_OK)
        return ReportFailure(err, edited, reason + Unchanged(request));
    if (check == ZEM_ERROR_FAILED)  // the new tag would be too large
        return ReportFailure(err, CODEC_FAILED, TagErrorDetail(tag.get()) + Unchanged(request));
    const int saved = check == ZEM_OK ? zem_tag_save_ex(tag.get(), flags) : check;
    return saved == ZEM_OK ? ZEMTOOL_OK : ReportSaveFailure(tag.get(), saved, request, err);
}

// A cue sheet's text as UTF-8, read as the library reads sheets; empty when
// it cannot be read.
std::string ReadCueSheetUtf8(const std::string& path) {
    const long length = zem_cue_read_text(path.c_str(), nullptr, 0);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    if (zem_cue_read_text(path.c_str(), &text[0], text.size()) != length)
        return {};
    text.resize(static_cast<size_t>(length));
    return text;
}

bool ListsAudioTracks(const std::string& sheet) {
    zem_cue* parsed = zem_cue_parse(sheet.data(), sheet.size(), 0, nullptr);
    const bool lists = parsed != nullptr;
    zem_cue_close(parsed);
    return lists;
}

// Reads each --set-cuesheet file into its edit's value, decoded as Tessarine
// reads cue sheets. Returns an empty text, or why a sheet cannot be stored.
std::string ReadCueSheets(TagRequest& request) {
    for (TagEdit& edit : request.edits) {
        if (!edit.fromCueSheet)
            continue;
        const std::string sheet = edit.value;
        const std::string text = ReadCueSheetUtf8(sheet);
        if (text.empty())
            return "cannot read cue sheet " + Quoted(sheet);
        if (!ListsAudioTracks(text))
            return Quoted(sheet) + " lists no audio track (no TRACK 01 AUDIO)";
        edit.value = text;
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
    if (request.ChangesFile())
        return EditTag(request, err);
    const int listed = ListTags(request.file, out);
    if (listed == ZEM_ERROR_CANNOT_OPEN || listed == ZEM_ERROR_INVALID_ARGUMENT)
        return ReportFailure(err, CODEC_BAD_INPUT, "cannot open " + Quoted(request.file));
    if (listed != ZEM_OK)
        return ReportFailure(err, CODEC_BAD_INPUT, "cannot read the tag of " + Quoted(request.file));
    return ZEMTOOL_OK;
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
