#include "tools/zemtool/tag_command.h"

#include "tessarine/codec/codec_error.h"
#include "tessarine/codec/tag_block.h"
#include "tessarine/codec/win32_file.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/tag_edits.h"
#include "tools/zemtool/tag_listing.h"
#include "tools/zemtool/tag_request.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/utf_text.h"
#include "tools/zemtool/zemtool.h"

namespace zemtool {
namespace {

int SaveTag(CTagBlock& tag, const TagRequest& request, bool id3v1, std::ostream& err) {
    const int result = tag.Save(id3v1 ? 1 : 0);
    if (result == 0)
        return ZEMTOOL_OK;
    // Save fails with -1 when the old tags could not be cut off, with the
    // file's write error otherwise; both mean the file could not be written.
    const std::string what = result == -1 ? "cannot strip the old tags from " : "cannot write the tag to ";
    return ReportFailure(err, CODEC_WRITE_FAILED, what + Quoted(request.file));
}

int ApplyEdits(CTagBlock& tag, const TagRequest& request, std::ostream& err) {
    for (const TagEdit& edit : request.edits) {
        std::string reason;
        if (int error = ApplyTagEdit(tag, edit, reason))
            return ReportFailure(err, error, reason + "; " + Quoted(request.file) + " is unchanged");
    }
    return ZEMTOOL_OK;
}

int EditTag(CWin32File& file, CTagBlock& tag, const TagRequest& request, std::ostream& err) {
    if (file.IsReadOnly())
        return ReportFailure(err, CODEC_WRITE_FAILED,
                             Quoted(request.file) + " is read-only or in use; its tag cannot be changed");
    // Every edit is tried in memory first, so a failing one leaves the file alone.
    // Values of an older tag keep their ANSI mark in the library, so they are
    // written back as UTF-8 beside the new values without further care here.
    if (int failed = ApplyEdits(tag, request, err))
        return failed;
    return SaveTag(tag, request, request.id3v1, err);
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
    const WString wide = LibraryPath(request.file);
    CWin32File file;
    if (request.file.empty() || file.Open(wide.c_str()) != 0)
        return ReportFailure(err, CODEC_BAD_INPUT, "cannot open " + Quoted(request.file));
    CTagBlock tag(&file, 1);
    if (!request.ChangesFile()) {
        PrintTagFields(tag, out);
        return ZEMTOOL_OK;
    }
    return EditTag(file, tag, request, err);
}

}  // namespace zemtool
