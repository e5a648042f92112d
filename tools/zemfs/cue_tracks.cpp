// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/cue_tracks.h"

#include "tools/zemfs/folder_names.h"

#include <zem/zem.h>

#include <cstdio>
#include <map>
#include <memory>

namespace zemfs {
namespace {

struct CueCloser {
    void operator()(zem_cue* cue) const { zem_cue_close(cue); }
};
using CuePtr = std::unique_ptr<zem_cue, CueCloser>;

// The link name of a track (true), or why it has none (false).
bool LinkName(const zem_cue* cue, int index, std::string* text) {
    const long length = zem_cue_link_name(cue, index, nullptr, nullptr, 0);
    if (length == ZEM_ERROR_INVALID_ARGUMENT)
        return false;
    std::string buffer(static_cast<size_t>(length < 0 ? 4096 : length + 1), '\0');
    const long got = zem_cue_link_name(cue, index, nullptr, &buffer[0], buffer.size());
    text->assign(buffer.c_str());
    return got >= 0;
}

std::string TrackNumber(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

CueFolderPlan FromSheet(const std::string& path) {
    CueFolderPlan folder;
    int error = 0;
    const CuePtr cue(zem_cue_open(path.c_str(), &error));
    if (!cue)
        return folder;
    const std::string image = zem_cue_image(cue.get());
    if (image.empty() || image.back() == '/')
        return folder;  // a sheet without a FILE line names no image
    folder.image = image;
    folder.imageAsWritten = image;
    std::map<std::string, TrackFile> byName;
    const int count = zem_cue_track_count(cue.get());
    for (int i = 0; i < count; ++i) {
        zem_cue_track cueTrack;
        std::string name;
        if (zem_cue_get_track(cue.get(), i, &cueTrack) != ZEM_OK)
            continue;
        if (!LinkName(cue.get(), i, &name)) {
            // A name no folder takes: Tessarine writes no file either.
            folder.leftOut.push_back(name);
            continue;
        }
        TrackFile track;
        track.name = TrackFileName(name);
        if (track.name.size() > kMaxNameBytes) {
            folder.leftOut.push_back("track " + TrackNumber(cueTrack.number) + ": the name '" + track.name +
                                     "' is too long (" + std::to_string(track.name.size()) + " bytes; a name takes " +
                                     std::to_string(kMaxNameBytes) + " at most)");
            continue;
        }
        track.start = static_cast<int32_t>(cueTrack.start_block);
        track.finish = cueTrack.finish_block < 0 ? -1 : static_cast<int32_t>(cueTrack.finish_block);
        byName[track.name] = track;
    }
    for (auto& [name, track] : byName)
        folder.tracks.push_back(track);
    return folder;
}

}  // namespace

CueFolderPlan PlanCueFolder(const std::string& cuePath) { return FromSheet(cuePath); }

CueFolderPlan PlanImageCueFolder(const std::string& imagePath) { return FromSheet(imagePath); }

}  // namespace zemfs
