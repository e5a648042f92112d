#include "tessarine/app/link_builder.h"

#include "platform/paths.h"
#include "tessarine/codec/decoder_factory.h"
#include "tessarine/codec/info_id.h"

namespace {
constexpr int32_t kDefaultSampleRate = 44100;
}

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

LinkBuildResult BuildLinkFiles(const WCHAR* cueSheetPath, const WCHAR* namingTemplate) {
    const WString path = cueSheetPath ? cueSheetPath : WTXT("");
    const WString folder = CueSheetFolder(path);
    const WString naming = namingTemplate ? namingTemplate : WTXT("");
    const CueSheet sheet = ReadCueSheet(path.c_str());
    LinkBuildResult result;
    result.tracks = sheet.tracks.size();
    for (const CueTrack& track : sheet.tracks) {
        // Looked up for every track, as the image may appear meanwhile.
        int32_t rate = GetImageSampleRate((folder + sheet.imageFile).c_str());
        std::optional<int32_t> finish;
        if (track.finish)
            finish = CueTimeToBlock(*track.finish, rate);
        WString header = FormatLinkHeader(sheet.imageFile, CueTimeToBlock(track.start, rate), finish);
        WString linkPath = folder + ExpandNamingTemplate(naming, sheet, track) + WTXT(".zlk");
        bool created = WriteLinkFile(linkPath.c_str(), header, sheet, track);
        (created ? result.written : result.failed).push_back(linkPath);
    }
    return result;
}
