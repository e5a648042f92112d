// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/convert/convert_sources.h"

#include "cue/embedded_cue_sheet.h"
#include "cue/link_builder.h"
#include "link/link_file.h"
#include "tools/zemtool/convert/flac_support.h"
#include "tools/zemtool/convert/tag_mapping.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/utf_text.h"

#include <zem/zem.h>

#include <sstream>

namespace zemtool {
namespace {

const char kDefaultTemplate[] = "ARTIST - ALBUM - TRACK# - TITLE";

std::string Folder(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Stem(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

const char* Extension(TargetKind target) {
    switch (target) {
    case TargetKind::Flac: return ".flac";
    case TargetKind::Wav: return ".wav";
    case TargetKind::Zem: return ".zem";
    }
    return "";
}

std::string OutputPath(const std::string& input, const ConvertPlanOptions& options, const std::string& stem) {
    std::string folder = options.outputDir.empty() ? Folder(input) : options.outputDir;
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
#ifdef _WIN32
        folder += '\\';
#else
        folder += '/';
#endif
    return folder + stem + Extension(options.target);
}

// A single file named by the template: its own tag fields fill the keywords.
std::string NamedStem(const std::string& input, const ConvertPlanOptions& options, const TagFields& tags) {
    if (options.naming.empty())
        return Stem(input);
    CueSheet sheet;
    sheet.performer = WideFromUtf8(FieldValue(tags, "ALBUMARTIST"));
    sheet.title = WideFromUtf8(FieldValue(tags, "ALBUM"));
    CueTrack track;
    track.performer = WideFromUtf8(FieldValue(tags, "ARTIST"));
    track.title = WideFromUtf8(FieldValue(tags, "TITLE"));
    std::string number = FieldValue(tags, "TRACKNUMBER");
    if (number.size() == 1)
        number = "0" + number;
    track.numberText = WideFromUtf8(number);
    return Utf8FromWide(ExpandNamingTemplate(WideFromUtf8(options.naming), sheet, track));
}

void AddField(TagFields& tags, const char* name, const std::string& value) {
    if (!value.empty())
        tags.emplace_back(name, value);
}

std::string Unquoted(std::string value) {
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
        value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

// A link file's tag holds the track's own fields; the album's fields and the
// cover live in its image's tag.
void AddImageFields(const WString& linkPath, ConvertItem& item) {
    CLinkFile link;
    link.ReadLinkFile(linkPath.c_str());
    if (!link.IsValid() || link.NamesRemotePath())
        return;
    int error = 0;
    zem_tag* imageTag = zem_tag_open(SystemPath(link.GetImagePath()).c_str(), &error);
    if (!imageTag)
        return;
    const TagFields imageFields = FieldsFromZemTag(imageTag);
    for (const char* name : {"ALBUMARTIST", "ALBUM", "DATE", "GENRE", "COMMENT", "DISCNUMBER",
                             "REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_PEAK"}) {
        if (FieldValue(item.tags, name).empty())
            AddField(item.tags, name, FieldValue(imageFields, name));
    }
    if (item.cover.mime.empty())
        item.cover = CoverFromZemTag(imageTag);
    zem_tag_close(imageTag);
}

std::string PlanTracks(const std::string& input, const std::string& sheetPath, const LinkPlan& plan,
                       const std::string& sheetText, const ConvertPlanOptions& options,
                       std::vector<ConvertItem>& items) {
    int error = 0;
    zem_cue* cue = zem_cue_open(sheetPath.c_str(), &error);
    if (!cue)
        return std::string("cannot read the cue sheet: ") + zem_error_text(error);
    const std::string image = zem_cue_image(cue) ? zem_cue_image(cue) : "";
    zem_cue_close(cue);
    if (plan.links.size() != plan.sheet.tracks.size())
        return "some tracks of the sheet have no block range (see 'zemtool links')";
    zem_tag* imageTag = zem_tag_open(image.c_str(), &error);
    const TagFields imageFields = imageTag ? FieldsFromZemTag(imageTag) : TagFields();
    const Picture cover = imageTag ? CoverFromZemTag(imageTag) : Picture();
    zem_tag_close(imageTag);
    const TagFields remarks = SheetRemarks(sheetText);
    const WString naming = WideFromUtf8(options.naming.empty() ? kDefaultTemplate : options.naming);
    for (const PlannedLink& link : plan.links) {
        const CueTrack& track = plan.sheet.tracks[link.trackIndex];
        ConvertItem item;
        item.input = input;
        item.kind = SourceKind::Zem;
        item.path = image;
        item.range = true;
        item.start = link.startBlock;
        item.finish = link.finishBlock ? *link.finishBlock : -1;
        const std::string album = Utf8FromWide(plan.sheet.title);
        AddField(item.tags, "ARTIST", Utf8FromWide(track.performer));
        AddField(item.tags, "ALBUMARTIST", Utf8FromWide(plan.sheet.performer));
        AddField(item.tags, "ALBUM", album.empty() ? FieldValue(imageFields, "ALBUM") : album);
        AddField(item.tags, "TITLE", Utf8FromWide(track.title));
        AddField(item.tags, "TRACKNUMBER", std::to_string(track.number));
        AddField(item.tags, "TRACKTOTAL", std::to_string(plan.sheet.tracks.size()));
        for (const char* name : {"DATE", "GENRE", "COMMENT", "DISCNUMBER", "DISCTOTAL"}) {
            const std::string remark = FieldValue(remarks, name);
            AddField(item.tags, name, remark.empty() ? FieldValue(imageFields, name) : remark);
        }
        for (const char* name : {"REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_PEAK"})
            AddField(item.tags, name, FieldValue(imageFields, name));
        item.cover = cover;
        item.link = SystemPath(link.path.c_str());
        // A link file carries the track's own gain once `zemtool gain` measured it.
        if (zem_tag* linkTag = zem_tag_open(item.link.c_str(), &error)) {
            for (const char* name : {"REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_TRACK_PEAK"})
                AddField(item.tags, name, FieldValue(FieldsFromZemTag(linkTag), name));
            zem_tag_close(linkTag);
        }
        item.output = OutputPath(sheetPath, options,
                                 Utf8FromWide(ExpandNamingTemplate(naming, plan.sheet, track)));
        items.push_back(std::move(item));
    }
    return {};
}

}  // namespace

TagFields SheetRemarks(const std::string& sheetText) {
    static const std::pair<const char*, const char*> kRemarks[] = {
        {"REM GENRE ", "GENRE"}, {"REM DATE ", "DATE"}, {"REM COMMENT ", "COMMENT"},
        {"REM DISCNUMBER ", "DISCNUMBER"}, {"REM TOTALDISCS ", "DISCTOTAL"}};
    TagFields fields;
    std::istringstream lines(sheetText);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos)
            continue;
        for (const auto& remark : kRemarks) {
            const std::string key = remark.first;
            if (line.compare(first, key.size(), key) == 0 && FieldValue(fields, remark.second).empty())
                AddField(fields, remark.second, Unquoted(line.substr(first + key.size())));
        }
    }
    return fields;
}

std::string PlanConversion(const std::string& input, const ConvertPlanOptions& options,
                           std::vector<ConvertItem>& items) {
    const std::string extension = LowerExtension(input);
    if (!CanOpenFile(input))
        return "cannot open the file";
    if (extension == ".cue") {
        const WString path = LibraryPath(input);
        const LinkPlan plan = PlanLinkFiles(path.c_str(), WideFromUtf8(kDefaultTemplate).c_str());
        if (plan.sheet.tracks.empty())
            return "the sheet lists no audio track (no TRACK 01 AUDIO)";
        return PlanTracks(input, input, plan, Utf8FromWide(ReadCueSheetText(path.c_str())), options, items);
    }
    ConvertItem item;
    item.input = input;
    item.path = input;
    if (extension == ".wav") {
        item.kind = SourceKind::Wav;
    } else if (extension == ".flac") {
        item.kind = SourceKind::Flac;
        const std::string problem = ReadFlacTags(input, &item.tags, &item.cover);
        if (!problem.empty())
            return problem;
    } else {
        const bool image = extension == ".zem" || extension == ".qrb";
        const WString path = LibraryPath(input);
        const WString sheet = image ? ReadEmbeddedCueSheet(path.c_str()) : WString();
        // An image that carries a sheet becomes its tracks, unless it is re-encoded whole.
        if (!sheet.empty() && options.target != TargetKind::Zem) {
            const LinkPlan plan = PlanLinksForImage(sheet, path, WideFromUtf8(kDefaultTemplate));
            if (!plan.sheet.tracks.empty())
                return PlanTracks(input, input, plan, Utf8FromWide(sheet), options, items);
        }
        int error = 0;
        zem_tag* tag = zem_tag_open(input.c_str(), &error);
        if (!tag)
            return std::string("cannot read its tag: ") + zem_error_text(error);
        item.tags = FieldsFromZemTag(tag);
        item.cover = CoverFromZemTag(tag);
        zem_tag_close(tag);
        if (!image)
            AddImageFields(path, item);
    }
    item.output = OutputPath(input, options, NamedStem(input, options, item.tags));
    items.push_back(std::move(item));
    return {};
}

}  // namespace zemtool
