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
#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace zem;

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
    LinkJobOptions options;
    LinkPlan plan;
    std::string image;
    std::vector<std::string> titles;
    std::vector<std::string> performers;
    std::string albumTitle;
    std::string albumPerformer;

    // A sheet given as text has no folder and no image to ask for its rate.
    int32_t givenRate = 0;

    LinkPlan Plan(const WString& naming) const {
        if (givenRate)
            return PlanAtRate(CueSheetFolder(path), naming);
        return inImage ? PlanLinksForImage(sheetText, path, naming)
                       : PlanLinksFromText(sheetText, CueSheetFolder(path), naming, options);
    }

    // The plan with the blocks counted at givenRate, whatever file the FILE
    // line happens to name in the current folder.
    LinkPlan PlanAtRate(const WString& folder, const WString& naming) const {
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
        sheet.imageFile = zem::api::AbsolutePath(ResolveLinkImagePath(sheet.imageFile, plan.folder.c_str()));
        return PlanLinksFromSheet(std::move(sheet), sheetText, folder, naming, options);
    }

    int Open(const char* utf8) {
        if (!zem::api::LibraryPathFromUtf8(utf8, &path))
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
        image = zem::api::Utf8PathFromLibrary(givenRate ? plan.sheet.imageFile
                                                       : ResolveLinkImagePath(plan.sheet.imageFile, plan.folder.c_str()));
        albumTitle = CueSheetToUtf8(plan.sheet.title);
        albumPerformer = CueSheetToUtf8(plan.sheet.performer);
        for (const CueTrack& track : plan.sheet.tracks) {
            titles.push_back(CueSheetToUtf8(track.title));
            performers.push_back(CueSheetToUtf8(track.performer));
        }
        return ZEM_OK;
    }

    // The plan for a template (NULL: the default); false for malformed UTF-8.
    bool PlanFor(const char* naming, LinkPlan* result) const {
        WString wideNaming = kDefaultTemplate;
        if (naming && !zem::api::WideFromUtf8(naming, &wideNaming))
            return false;
        *result = naming ? Plan(wideNaming) : plan;
        return true;
    }

    int WriteLinks(const char* naming, const char* folder, zem_cue_report report, void* user) const {
        WString wideNaming = kDefaultTemplate;
        WString wideFolder;
        if ((naming && !zem::api::WideFromUtf8(naming, &wideNaming)) ||
            (folder && !zem::api::LibraryPathFromUtf8(folder, &wideFolder)))
            return ZEM_ERROR_INVALID_ARGUMENT;
        const LinkBuildResult result = WriteLinkFiles(folder ? PlanIn(wideFolder, wideNaming) : Plan(wideNaming));
        // Each file once, in the order first written (a later track of the
        // same name replaced the earlier one's file).
        std::vector<WString> unique;
        for (const WString& written : result.written) {
            if (std::find(unique.begin(), unique.end(), written) == unique.end())
                unique.push_back(written);
        }
        if (report) {
            for (const WString& written : unique)
                report(user, zem::api::Utf8PathFromLibrary(written).c_str(), nullptr, 0);
            for (const LinkFailure& failure : result.failed)
                report(user, zem::api::Utf8PathFromLibrary(failure.path).c_str(), CueSheetToUtf8(failure.reason).c_str(),
                       failure.createFailed ? 1 : 0);
        }
        if (!result.failed.empty())
            return ZEM_ERROR_WRITE_FAILED;
        return static_cast<int>(unique.size());
    }
};

extern "C" zem_cue* zem_cue_open(const char* path_utf8, int* error) { return zem_cue_open_ex(path_utf8, 0, error); }

extern "C" zem_cue* zem_cue_open_ex(const char* path_utf8, unsigned flags, int* error) {
    zem_cue* result = nullptr;
    int code = zem::api::Guarded([&] {
        if (flags & ~ZEM_OPEN_ALLOW_REMOTE_PATHS)
            return ZEM_ERROR_INVALID_ARGUMENT;
        auto cue = std::make_unique<zem_cue>();
        cue->options.allowRemotePaths = (flags & ZEM_OPEN_ALLOW_REMOTE_PATHS) != 0;
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
    int code = zem::api::Guarded([&] {
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

extern "C" int zem_cue_track_time(const zem_cue* c, int index, int* minutes, int* seconds, int* frames) {
    if (!c || index < 0 || static_cast<size_t>(index) >= c->plan.links.size())
        return ZEM_ERROR_INVALID_ARGUMENT;
    const CueTime& time = c->plan.sheet.tracks[c->plan.links[static_cast<size_t>(index)].trackIndex].start;
    if (minutes)
        *minutes = time.minutes;
    if (seconds)
        *seconds = time.seconds;
    if (frames)
        *frames = time.frames;
    return ZEM_OK;
}

extern "C" int zem_cue_get_album(const zem_cue* c, const char** title, const char** performer) {
    if (!c)
        return ZEM_ERROR_INVALID_ARGUMENT;
    if (title)
        *title = c->albumTitle.c_str();
    if (performer)
        *performer = c->albumPerformer.c_str();
    return ZEM_OK;
}

extern "C" long zem_template_name(const char* template_utf8, const char* artist, const char* album, const char* number,
                                  const char* title, char* buffer, size_t size) {
    if (!template_utf8 || (!buffer && size > 0))
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&]() -> long {
        WString naming;
        CueSheet sheet;
        CueTrack track;
        if (!zem::api::WideFromUtf8(template_utf8, &naming) || !zem::api::WideFromUtf8(artist, &track.performer) ||
            !zem::api::WideFromUtf8(album, &sheet.title) || !zem::api::WideFromUtf8(number, &track.numberText) ||
            !zem::api::WideFromUtf8(title, &track.title))
            return ZEM_ERROR_INVALID_ARGUMENT;
        const std::string name = CueSheetToUtf8(ExpandNamingTemplate(naming, sheet, track));
        if (buffer && size > name.size())
            std::memcpy(buffer, name.c_str(), name.size() + 1);
        return static_cast<long>(name.size());
    });
}

extern "C" int zem_cue_write_links(const zem_cue* c, const char* template_utf8, const char* folder_utf8) {
    if (!c)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return c->WriteLinks(template_utf8, folder_utf8, nullptr, nullptr); });
}

extern "C" int zem_cue_write_links_ex(const zem_cue* c, const char* template_utf8, const char* folder_utf8,
                                      zem_cue_report report, void* user) {
    if (!c)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] { return c->WriteLinks(template_utf8, folder_utf8, report, user); });
}

extern "C" long zem_cue_warning(const zem_cue* c, const char* template_utf8, int index, char* buffer, size_t size) {
    if (!c || index < 0)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&]() -> long {
        LinkPlan plan;
        if (!c->PlanFor(template_utf8, &plan) || static_cast<size_t>(index) >= plan.warnings.size())
            return ZEM_ERROR_INVALID_ARGUMENT;
        const std::string text = CueSheetToUtf8(plan.warnings[static_cast<size_t>(index)].text);
        if (buffer && size > text.size())
            std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<long>(text.size());
    });
}

extern "C" long zem_cue_link_name(const zem_cue* c, int index, const char* template_utf8, char* buffer, size_t size) {
    if (!c || index < 0 || static_cast<size_t>(index) >= c->plan.links.size())
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&]() -> long {
        LinkPlan plan;
        if (!c->PlanFor(template_utf8, &plan))
            return ZEM_ERROR_INVALID_ARGUMENT;
        const PlannedLink& link = plan.links.at(static_cast<size_t>(index));
        const bool refused = !link.problem.empty();
        const std::string text = refused ? CueSheetToUtf8(link.problem)
                                         : zem::api::Utf8PathFromLibrary(link.path.substr(CueSheetFolder(link.path).size()));
        if (buffer && size > text.size())
            std::memcpy(buffer, text.c_str(), text.size() + 1);
        return refused ? static_cast<long>(ZEM_ERROR_BAD_INPUT) : static_cast<long>(text.size());
    });
}

extern "C" void zem_cue_close(zem_cue* c) { delete c; }

extern "C" long zem_cue_read_text(const char* path_utf8, char* buffer, size_t size) {
    if (!buffer && size > 0)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&]() -> long {
        WString path;
        if (!zem::api::LibraryPathFromUtf8(path_utf8, &path))
            return ZEM_ERROR_INVALID_ARGUMENT;
        CWin32File file;
        if (file.OpenForReading(path.c_str()) != 0)
            return ZEM_ERROR_CANNOT_OPEN;
        // A size the file class cannot tell is one of 2 GiB or more.
        const int32_t bytes = file.GetSize();
        if (bytes < 0 || bytes > kMaxCueSheetBytes)
            return ZEM_ERROR_BAD_INPUT;
        std::vector<uint8_t> raw(static_cast<size_t>(bytes));
        int32_t got = 0;
        if (bytes > 0 && (file.Read(raw.data(), bytes, &got) != 0 || got != bytes))
            return ZEM_ERROR_READ_FAILED;
        const std::string text = CueSheetToUtf8(DecodeCueSheetBytes(raw));
        if (text.size() > static_cast<size_t>(LONG_MAX))
            return ZEM_ERROR_BAD_INPUT;
        if (buffer && size > text.size())
            std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<long>(text.size());
    });
}
