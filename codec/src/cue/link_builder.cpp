// SPDX-License-Identifier: BSD-3-Clause
#include "cue/link_builder.h"

#include "container/info_id.h"
#include "decode/decoder_factory.h"
#include "link/link_file.h"
#include "link/remote_path.h"
#include "platform/paths.h"

#include <string>

namespace zem {

namespace {

constexpr int32_t kDefaultSampleRate = 44100;
// A name too long to use is shown by its start.
constexpr size_t kShownNameChars = 60;

WString Decimal(size_t value) {
    std::string digits = std::to_string(value);
    return WString(digits.begin(), digits.end());
}

#ifdef _WIN32
const WCHAR kNameLimit[] = WTXT(" characters; a name holds at most 255, a path 259)");
#else
const WCHAR kNameLimit[] = WTXT(" bytes; a name holds at most 255, a path 259 characters)");
#endif

WString NameTooLong(const CueTrack& track, const WString& stem) {
    WString shown = stem.substr(0, kShownNameChars);
    if (stem.size() > kShownNameChars)
        shown += WTXT("...");
    WString length = stem.size() > kMaxExpandedNameChars ? WTXT("over ") + Decimal(kMaxExpandedNameChars)
                                                         : Decimal(LinkNameLength(stem));
    return WTXT("track ") + track.numberText + WTXT(": the name '") + shown + WTXT(".zlk' is too long (") + length +
           kNameLimit;
}

}  // namespace

WString CueSheetFolder(const WString& cueSheetPath) {
    size_t end = cueSheetPath.size();
    while (end > 0 && !IsPathSeparator(cueSheetPath[end - 1]))
        --end;
    return cueSheetPath.substr(0, end);
}

int32_t GetImageSampleRate(const WCHAR* imagePath) {
    int error = 0;
    std::unique_ptr<CDecoder> decoder = OpenDecoder(imagePath, &error);
    if (!decoder || error != 0)
        return kDefaultSampleRate;
    return static_cast<int32_t>(decoder->GetInfo(SampleRate, 0, 0));
}

int CLinkBuilder::BuildLinks(const WCHAR* cueSheetPath, const WCHAR* namingTemplate) {
    BuildLinkFiles(cueSheetPath, namingTemplate);
    return 1;
}

LinkBuildResult BuildLinkFiles(const WCHAR* cueSheetPath, const WCHAR* namingTemplate,
                               const LinkJobOptions& options) {
    return WriteLinkFiles(PlanLinkFiles(cueSheetPath, namingTemplate, options));
}

LinkPlan PlanLinkFiles(const WCHAR* cueSheetPath, const WCHAR* namingTemplate, const LinkJobOptions& options) {
    const WString path = cueSheetPath ? cueSheetPath : WTXT("");
    return PlanLinksFromText(ReadCueSheetText(path.c_str()), CueSheetFolder(path),
                             namingTemplate ? namingTemplate : WTXT(""), options);
}

LinkPlan PlanLinksFromText(const WString& sheetText, const WString& folder, const WString& namingTemplate,
                           const LinkJobOptions& options) {
    return PlanLinksFromSheet(ParseCueSheetText(sheetText), sheetText, folder, namingTemplate, options);
}

LinkPlan PlanLinksForImage(const WString& sheetText, const WString& imagePath, const WString& namingTemplate) {
    CueSheet sheet = ParseCueSheetText(sheetText);
    const WString folder = CueSheetFolder(imagePath);
    sheet.imageFile = imagePath.substr(folder.size());
    // The image is the file the caller named, not a path out of the sheet.
    LinkJobOptions options;
    options.allowRemotePaths = true;
    return PlanLinksFromSheet(std::move(sheet), sheetText, folder, namingTemplate, options);
}

LinkPlan PlanLinksFromSheet(CueSheet parsed, const WString& sheetText, const WString& folder,
                            const WString& namingTemplate, const LinkJobOptions& options) {
    LinkPlan plan;
    plan.sheet = std::move(parsed);
    plan.folder = folder;
    const CueSheet& sheet = plan.sheet;
    // A sheet is as easily downloaded as a link file: its FILE line must not
    // make the job reach out to a host of the sheet's choosing.
    plan.imageRefused = !options.allowRemotePaths && IsRemoteOrDevicePath(sheet.imageFile);
    for (size_t index = 0; index < sheet.tracks.size(); ++index) {
        const CueTrack& track = sheet.tracks[index];
        // Looked up for every track, as the image may appear meanwhile.
        int32_t rate = plan.imageRefused
                           ? kDefaultSampleRate
                           : GetImageSampleRate(ResolveLinkImagePath(sheet.imageFile, folder.c_str()).c_str());
        std::optional<int32_t> finish;
        if (track.finish)
            finish = CueTimeToBlock(*track.finish, rate);
        PlannedLink link;
        link.trackIndex = index;
        link.startBlock = CueTimeToBlock(track.start, rate);
        link.finishBlock = finish;
        link.header = FormatLinkHeader(sheet.imageFile, link.startBlock, finish);
        WString stem = ExpandNamingTemplate(namingTemplate, sheet, track);
        if (LinkNameFits(folder, stem)) {
            link.path = folder + stem + WTXT(".zlk");
        } else {
            link.path = folder + stem.substr(0, kShownNameChars) + WTXT("...");
            link.problem = NameTooLong(track, stem);
        }
        plan.links.push_back(std::move(link));
    }
    plan.warnings = CheckLinkPlan(plan, sheetText);
    return plan;
}

LinkBuildResult WriteLinkFiles(const LinkPlan& plan) {
    LinkBuildResult result;
    result.tracks = plan.sheet.tracks.size();
    result.warnings = plan.warnings;
    for (const PlannedLink& link : plan.links) {
        const CueTrack& track = plan.sheet.tracks[link.trackIndex];
        if (!link.problem.empty()) {
            result.failed.push_back({track.number, link.path, link.problem});
        } else if (WriteLinkFile(link.path.c_str(), link.header, plan.sheet, track)) {
            result.written.push_back(link.path);
        } else {
            result.failed.push_back({track.number, link.path, WTXT("cannot create '") + link.path + WTXT("'"), true});
        }
    }
    return result;
}

}  // namespace zem
