// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/cue_tracks.h"

#include "link/link_file.h"
#include "tessarine/app/dialog_texts.h"
#include "cue/embedded_cue_sheet.h"
#include "cue/link_builder.h"
#include "tools/zemfs/folder_names.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/utf_text.h"

#include <map>

namespace zemfs {
namespace {

std::string FileName(const WString& path) {
    const WString folder = CueSheetFolder(path);
    return zemtool::Utf8FromWide(path.substr(folder.size()));
}

CueFolderPlan FromLinkPlan(const LinkPlan& plan) {
    CueFolderPlan folder;
    if (plan.sheet.imageFile.empty())
        return folder;
    const WString image = ResolveLinkImagePath(plan.sheet.imageFile, plan.folder.c_str());
    folder.image = zemtool::SystemPath(image.c_str());
    folder.imageAsWritten = zemtool::Utf8FromWide(image);
    std::map<std::string, TrackFile> byName;
    for (const PlannedLink& link : plan.links) {
        if (!link.problem.empty()) {
            // A name no folder takes: Tessarine writes no file either.
            folder.leftOut.push_back(zemtool::Utf8FromWide(link.problem));
            continue;
        }
        TrackFile track;
        track.name = TrackFileName(FileName(link.path));
        if (track.name.size() > kMaxNameBytes) {
            const CueTrack& cue = plan.sheet.tracks[link.trackIndex];
            folder.leftOut.push_back("track " + zemtool::Utf8FromWide(cue.numberText) + ": the name '" + track.name +
                                     "' is too long (" + std::to_string(track.name.size()) + " bytes; a name takes " +
                                     std::to_string(kMaxNameBytes) + " at most)");
            continue;
        }
        track.start = link.startBlock;
        track.finish = link.finishBlock ? *link.finishBlock : -1;
        byName[track.name] = track;
    }
    for (auto& [name, track] : byName)
        folder.tracks.push_back(track);
    return folder;
}

}  // namespace

CueFolderPlan PlanCueFolder(const std::string& cuePath) {
    return FromLinkPlan(PlanLinkFiles(zemtool::LibraryPath(cuePath).c_str(), kDefaultNamingTemplate));
}

CueFolderPlan PlanImageCueFolder(const std::string& imagePath) {
    const WString path = zemtool::LibraryPath(imagePath);
    const WString sheet = ReadEmbeddedCueSheet(path.c_str());
    if (sheet.empty())
        return {};
    return FromLinkPlan(PlanLinksForImage(sheet, path, kDefaultNamingTemplate));
}

}  // namespace zemfs
