// SPDX-License-Identifier: BSD-3-Clause
// Cue sheets through the C API: the link build job's plan (cue/link_builder.h),
// read once, and written again with any naming template and folder.
#include "api/decoder_handle.h"

#include "container/stream_info.h"
#include "cue/cue_sheet.h"
#include "cue/embedded_cue_sheet.h"
#include "cue/link_builder.h"
#include "io/win32_file.h"
#include "link/link_file.h"
#include "platform/paths.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const WCHAR kDefaultTemplate[] = WTXT("ARTIST - ALBUM - TRACK# - TITLE");

#ifdef _WIN32
constexpr WCHAR kSeparator = WTXT('\\');
#else
constexpr WCHAR kSeparator = WTXT('/');
#endif

bool IsStream(const WString& path) {
    int error = 0;
    CStreamInfo info(path.c_str(), &error);
    return error == 0 && info.IsValid();
}

}  // namespace

struct zem_cue {
    WString path;
    WString sheetText;
    bool inImage = false;  // the sheet came from the tag of the stream at `path`
    LinkPlan plan;
    std::string image;
    std::vector<std::string> titles;
    std::vector<std::string> performers;

    // A sheet given as text has no folder and no image to ask for its rate.
    int32_t givenRate = 0;

    LinkPlan Plan(const WString& naming) const {
        if (givenRate)
            return PlanAtRate(CueSheetFolder(path), naming);
        return inImage ? PlanLinksForImage(sheetText, path, naming)
                       : PlanLinksFromText(sheetText, CueSheetFolder(path), naming);
    }

    // The plan with the blocks counted at givenRate, whatever file the FILE
    // line happens to name in the current folder.
    LinkPlan PlanAtRate(const WString& folder, const WString& naming) const {
        LinkJobOptions options;
        options.allowRemotePaths = false;
        LinkPlan made = PlanLinksFromSheet(ParseCueSheetText(sheetText), sheetText, folder, naming, options);
        for (PlannedLink& link : made.links) {
            const CueTrack& track = made.sheet.tracks[link.trackIndex];
            link.startBlock = CueTimeToBlock(track.start, givenRate);
            link.finishBlock.reset();
            if (track.finish)
                link.finishBlock = CueTimeToBlock(*track.finish, givenRate);
            link.header = FormatLinkHeader(made.sheet.imageFile, link.startBlock, link.finishBlock);
        }
        return made;
    }

    // Elsewhere than beside the sheet a link names the image by its full path.
    LinkPlan PlanIn(WString folder, const WString& naming) const {
        if (!IsPathSeparator(folder.back()))
            folder += kSeparator;
        CueSheet sheet = plan.sheet;
        sheet.imageFile = zem_api::AbsolutePath(ResolveLinkImagePath(sheet.imageFile, plan.folder.c_str()));
        return PlanLinksFromSheet(std::move(sheet), sheetText, folder, naming);
    }

    int Open(const char* utf8) {
        if (!zem_api::LibraryPathFromUtf8(utf8, &path))
            return ZEM_ERROR_INVALID_ARGUMENT;
        {
            CWin32File file;
            if (file.OpenForReading(path.c_str()) != 0)
                return ZEM_ERROR_CANNOT_OPEN;
        }
        inImage = IsStream(path);
        sheetText = inImage ? ReadEmbeddedCueSheet(path.c_str()) : ReadCueSheetText(path.c_str());
        plan = Plan(kDefaultTemplate);
        return Collect();
    }

    int Parse(const char* text, size_t size, unsigned rate) {
        if (!text || rate > static_cast<unsigned>(INT32_MAX))
            return ZEM_ERROR_INVALID_ARGUMENT;
        if (size > static_cast<size_t>(kMaxCueSheetBytes))
            return ZEM_ERROR_BAD_INPUT;  // as a file of that size reads: no tracks
        givenRate = rate ? static_cast<int32_t>(rate) : 44100;
        sheetText = DecodeCueSheetBytes(std::vector<uint8_t>(text, text + size));
        plan = Plan(kDefaultTemplate);
        return Collect();
    }

    int Collect() {
        if (plan.sheet.tracks.empty())
            return ZEM_ERROR_BAD_INPUT;
        image = zem_api::Utf8PathFromLibrary(givenRate ? plan.sheet.imageFile
                                                       : ResolveLinkImagePath(plan.sheet.imageFile, plan.folder.c_str()));
        for (const CueTrack& track : plan.sheet.tracks) {
            titles.push_back(CueSheetToUtf8(track.title));
            performers.push_back(CueSheetToUtf8(track.performer));
        }
        return ZEM_OK;
    }

    int WriteLinks(const char* naming, const char* folder) const {
        WString wideNaming = kDefaultTemplate;
        WString wideFolder;
        if ((naming && !zem_api::WideFromUtf8(naming, &wideNaming)) ||
            (folder && !zem_api::LibraryPathFromUtf8(folder, &wideFolder)))
            return ZEM_ERROR_INVALID_ARGUMENT;
        const LinkBuildResult result = WriteLinkFiles(folder ? PlanIn(wideFolder, wideNaming) : Plan(wideNaming));
        if (!result.failed.empty())
            return ZEM_ERROR_WRITE_FAILED;
        std::vector<WString> unique = result.written;
        std::sort(unique.begin(), unique.end());
        return static_cast<int>(std::unique(unique.begin(), unique.end()) - unique.begin());
    }
};

extern "C" zem_cue* zem_cue_open(const char* path_utf8, int* error) {
    zem_cue* result = nullptr;
    int code = zem_api::Guarded([&] {
        auto cue = std::make_unique<zem_cue>();
        int opened = cue->Open(path_utf8);
        if (opened == ZEM_OK)
            result = cue.release();
        return opened;
    });
    if (error)
        *error = code;
    return code == ZEM_OK ? result : nullptr;
}

extern "C" zem_cue* zem_cue_parse(const char* text, size_t size, unsigned sample_rate, int* error) {
    zem_cue* result = nullptr;
    int code = zem_api::Guarded([&] {
        auto cue = std::make_unique<zem_cue>();
        int parsed = cue->Parse(text, size, sample_rate);
        if (parsed == ZEM_OK)
            result = cue.release();
        return parsed;
    });
    if (error)
        *error = code;
    return code == ZEM_OK ? result : nullptr;
}

extern "C" const char* zem_cue_image(const zem_cue* c) { return c ? c->image.c_str() : nullptr; }

extern "C" int zem_cue_track_count(const zem_cue* c) {
    return c ? static_cast<int>(c->plan.links.size()) : ZEM_ERROR_INVALID_ARGUMENT;
}

extern "C" int zem_cue_get_track(const zem_cue* c, int index, zem_cue_track* track) {
    if (!c || !track || index < 0 || static_cast<size_t>(index) >= c->plan.links.size())
        return ZEM_ERROR_INVALID_ARGUMENT;
    const PlannedLink& link = c->plan.links[static_cast<size_t>(index)];
    track->number = c->plan.sheet.tracks[link.trackIndex].number;
    track->title = c->titles[link.trackIndex].c_str();
    track->performer = c->performers[link.trackIndex].c_str();
    track->start_block = link.startBlock;
    track->finish_block = link.finishBlock ? *link.finishBlock : -1;
    return ZEM_OK;
}

extern "C" int zem_cue_write_links(const zem_cue* c, const char* template_utf8, const char* folder_utf8) {
    if (!c)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem_api::Guarded([&] { return c->WriteLinks(template_utf8, folder_utf8); });
}

extern "C" void zem_cue_close(zem_cue* c) { delete c; }
