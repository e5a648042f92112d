// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/open_failure.h"

#include "tools/zemtool/file_names.h"
#include "tools/zemtool/link_image.h"
#include "tools/zemtool/native_file.h"
#include "tools/zemtool/stream_check.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"

namespace zemtool {
namespace {

std::string ExplainLinkFailure(const std::string& file) {
    const std::string why = WhyNotReadable(file);
    if (!why.empty())
        return "cannot open " + Quoted(file) + ": " + why;
    const std::string image = LinkImage(file);
    if (image.empty())
        return Quoted(file) + " is not a valid image link file";
    const std::string imageWhy = WhyNotReadable(image);
    if (!imageWhy.empty())
        return "cannot open the image " + Quoted(image) + " named by " + Quoted(file) + ": " + imageWhy;
    const std::string problem = HeaderProblemOfFile(image);
    return "the image " + Quoted(image) + " named by " + Quoted(file) + " has no valid ZEM stream header" +
           (problem.empty() ? "" : ": " + problem);
}

// A file is read as a link file or a stream by its content, so a name is
// never the reason: a file that cannot be read says so first.
std::string ExplainBadInput(const std::string& file) {
    const std::string why = WhyNotReadable(file);
    if (!why.empty())
        return "cannot open " + Quoted(file) + ": " + why;
    if (IsLinkPath(file))
        return ExplainLinkFailure(file);
    const std::string problem = HeaderProblemOfFile(file);
    if (problem.empty())
        return Quoted(file) + " holds no ZEM stream and is no image link file";
    return Quoted(file) + " has no valid ZEM stream header: " + problem;
}

std::string ExplainRefusedPath(const std::string& file) {
    return Quoted(file) + " names the image " + Quoted(LinkImage(file)) +
           ": it names a network or device path (\\\\host\\..., \\\\.\\, \\\\?\\), which could send the user's "
           "credentials to another machine (use --allow-remote-paths to open it)";
}

}  // namespace

std::string WhyNotReadable(const std::string& path) {
    std::string why;
    switch (KindOfPath(path, &why)) {
    case PathKind::Missing: return why;
    case PathKind::Folder: return "it is a folder";
    case PathKind::Other: return "it is not a regular file";
    case PathKind::RegularFile: break;
    }
    return WhyUnreadable(path);
}

std::string ExplainOpenFailure(const std::string& file, int error) {
    switch (error) {
    case CODEC_BAD_ARGUMENT: return "no file name given";
    case CODEC_BAD_INPUT: return ExplainBadInput(file);
    case CODEC_PATH_REFUSED: return ExplainRefusedPath(file);
    case CODEC_FAILED: return "no decoder accepts the stream in " + Quoted(file) + " (unsupported version)";
    }
    return "cannot open " + Quoted(file);
}

}  // namespace zemtool
