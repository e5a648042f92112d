// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/convert/convert_sources.h"

#include "tools/zemtool/convert/flac_support.h"
#include "tools/zemtool/convert/tag_mapping.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/sheet_text.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/utf_text.h"

#include <zem/zem.h>

#include <algorithm>
#include <memory>
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

// Malformed UTF-8 of a file's fields becomes U+FFFD, as names have always shown it.
std::string Mended(const std::string& text) { return Utf8FromWide(WideFromUtf8(text)); }

// A track named by the template, as a cue sheet names its links.
std::string TemplateName(const std::string& naming, const std::string& artist, const std::string& album,
                         const std::string& number, const std::string& title) {
    const std::string fields[] = {Mended(naming), Mended(artist), Mended(album), Mended(number), Mended(title)};
    auto name = [&](char* buffer, size_t size) {
        return zem_template_name(fields[0].c_str(), fields[1].c_str(), fields[2].c_str(), fields[3].c_str(),
                                 fields[4].c_str(), buffer, size);
    };
    const long length = name(nullptr, 0);
    if (length < 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    name(&text[0], text.size());
    text.resize(static_cast<size_t>(length));
    return text;
}

// Two digits at least, as a sheet's TRACK lines number the tracks.
std::string NumberText(int number) { return (number >= 0 && number < 10 ? "0" : "") + std::to_string(number); }

// A single file named by the template: its own tag fields fill the keywords.
std::string NamedStem(const std::string& input, const ConvertPlanOptions& options, const TagFields& tags) {
    if (options.naming.empty())
        return Stem(input);
    std::string number = FieldValue(tags, "TRACKNUMBER");
    if (number.size() == 1)
        number = "0" + number;
    return TemplateName(options.naming, FieldValue(tags, "ARTIST"), FieldValue(tags, "ALBUM"), number,
                        FieldValue(tags, "TITLE"));
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

struct TrackCueCloser {
    void operator()(zem_cue* cue) const { zem_cue_close(cue); }
};
using TrackCuePtr = std::unique_ptr<zem_cue, TrackCueCloser>;

// The folder a sheet's links lie in, written as the system writes it.
std::string LinkFolder(const std::string& input) {
    std::string folder = Folder(input);
#ifdef _WIN32
    std::replace(folder.begin(), folder.end(), '/', '\\');
#endif
    return folder;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// A link file's tag holds the track's own fields; the album's fields and the
// cover live in its image's tag. An image on a network or device path is not
// looked at, as the link itself would not open it.
void AddImageFields(const std::string& linkPath, ConvertItem& item) {
    const long length = zem_link_read(linkPath.c_str(), nullptr, 0, nullptr, nullptr);
    if (length < 0)
        return;
    std::string image(static_cast<size_t>(length) + 1, '\0');
    zem_link_read(linkPath.c_str(), &image[0], image.size(), nullptr, nullptr);
    image.resize(static_cast<size_t>(length));
    if (image.size() >= 2 && IsSeparator(image[0]) && IsSeparator(image[1]))
        return;
    int error = 0;
    zem_tag* imageTag = zem_tag_open(image.c_str(), &error);
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

// The track's link file as `zemtool links` names it beside the sheet; a name
// too long for the system is kept whole (no such file can exist).
std::string LinkPath(const std::string& input, const zem_cue* cue, int index, const std::string& fallback) {
    const std::string folder = LinkFolder(input);
    const long length = zem_cue_link_name(cue, index, nullptr, nullptr, 0);
    if (length < 0)
        return folder + fallback + ".zlk";
    std::string name(static_cast<size_t>(length) + 1, '\0');
    zem_cue_link_name(cue, index, nullptr, &name[0], name.size());
    name.resize(static_cast<size_t>(length));
    return folder + name;
}

std::string PlanTracks(const std::string& input, const zem_cue* cue, const std::string& sheetText,
                       const ConvertPlanOptions& options, std::vector<ConvertItem>& items) {
    const std::string image = zem_cue_image(cue) ? zem_cue_image(cue) : "";
    int error = 0;
    zem_tag* imageTag = zem_tag_open(image.c_str(), &error);
    const TagFields imageFields = imageTag ? FieldsFromZemTag(imageTag) : TagFields();
    const Picture cover = imageTag ? CoverFromZemTag(imageTag) : Picture();
    zem_tag_close(imageTag);
    const TagFields remarks = SheetRemarks(sheetText);
    const std::string naming = options.naming.empty() ? kDefaultTemplate : options.naming;
    const char* album = "";
    const char* albumPerformer = "";
    zem_cue_get_album(cue, &album, &albumPerformer);
    const int tracks = zem_cue_track_count(cue);
    for (int i = 0; i < tracks; ++i) {
        zem_cue_track track = {};
        zem_cue_get_track(cue, i, &track);
        const std::string number = NumberText(track.number);
        ConvertItem item;
        item.input = input;
        item.kind = SourceKind::Zem;
        item.path = image;
        item.range = true;
        item.start = track.start_block;
        item.finish = track.finish_block;
        AddField(item.tags, "ARTIST", track.performer);
        AddField(item.tags, "ALBUMARTIST", albumPerformer);
        AddField(item.tags, "ALBUM", *album ? album : FieldValue(imageFields, "ALBUM"));
        AddField(item.tags, "TITLE", track.title);
        AddField(item.tags, "TRACKNUMBER", std::to_string(track.number));
        AddField(item.tags, "TRACKTOTAL", std::to_string(tracks));
        for (const char* name : {"DATE", "GENRE", "COMMENT", "DISCNUMBER", "DISCTOTAL"}) {
            const std::string remark = FieldValue(remarks, name);
            AddField(item.tags, name, remark.empty() ? FieldValue(imageFields, name) : remark);
        }
        for (const char* name : {"REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_PEAK"})
            AddField(item.tags, name, FieldValue(imageFields, name));
        item.cover = cover;
        item.link =
            LinkPath(input, cue, i, TemplateName(kDefaultTemplate, track.performer, album, number, track.title));
        // A link file carries the track's own gain once `zemtool gain` measured it.
        if (zem_tag* linkTag = zem_tag_open(item.link.c_str(), &error)) {
            for (const char* name : {"REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_TRACK_PEAK"})
                AddField(item.tags, name, FieldValue(FieldsFromZemTag(linkTag), name));
            zem_tag_close(linkTag);
        }
        item.output = OutputPath(input, options, TemplateName(naming, track.performer, album, number, track.title));
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
        int error = 0;
        const TrackCuePtr cue(zem_cue_open(input.c_str(), &error));
        if (!cue)
            return error == ZEM_ERROR_BAD_INPUT ? "the sheet lists no audio track (no TRACK 01 AUDIO)"
                                                : std::string("cannot read the cue sheet: ") + zem_error_text(error);
        return PlanTracks(input, cue.get(), SheetFileText(input), options, items);
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
        int error = 0;
        const std::string sheet = image ? SheetInTag(input) : std::string();
        // An image that carries a sheet becomes its tracks, unless it is re-encoded whole.
        if (!sheet.empty() && options.target != TargetKind::Zem) {
            if (const TrackCuePtr cue{zem_cue_open(input.c_str(), &error)})
                return PlanTracks(input, cue.get(), sheet, options, items);
        }
        zem_tag* tag = zem_tag_open(input.c_str(), &error);
        if (!tag)
            return std::string("cannot read its tag: ") + zem_error_text(error);
        item.tags = FieldsFromZemTag(tag);
        item.cover = CoverFromZemTag(tag);
        zem_tag_close(tag);
        if (!image)
            AddImageFields(input, item);
    }
    item.output = OutputPath(input, options, NamedStem(input, options, item.tags));
    items.push_back(std::move(item));
    return {};
}

}  // namespace zemtool
