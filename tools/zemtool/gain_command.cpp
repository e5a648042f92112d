// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/gain_command.h"

#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/convert/convert_sources.h"
#include "tools/zemtool/convert/loudness.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/printable_text.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <zem/zem.h>

#include <map>
#include <memory>

namespace zemtool {
namespace {

struct GainRequest {
    bool help = false;
    bool album = false;
    bool dryRun = false;
    std::vector<std::string> inputs;
};

std::string ParseGainArgs(const std::vector<std::string>& args, GainRequest& request) {
    ArgumentCursor cursor(args);
    while (cursor.Next()) {
        if (cursor.Is("-h", "--help"))
            request.help = true;
        else if (cursor.Is("--album"))
            request.album = true;
        else if (cursor.Is("--dry-run"))
            request.dryRun = true;
        else if (cursor.Is("-q", "--quiet"))
            continue;  // nothing to silence: the values are the output
        else if (cursor.IsOption())
            return "unknown option " + Quoted(cursor.Current());
        else
            request.inputs.push_back(cursor.Current());
    }
    if (!request.help && request.inputs.empty())
        return "no input file given";
    return {};
}

using Fields = std::vector<std::pair<const char*, std::string>>;

// Sets the fields in the ZEM tag of `path`; "" or the problem.
std::string WriteGainFields(const std::string& path, const Fields& fields) {
    int error = 0;
    zem_tag* tag = zem_tag_open(path.c_str(), &error);
    if (!tag)
        return zem_error_text(error);
    for (const auto& field : fields)
        zem_tag_set(tag, field.first, field.second.c_str());
    error = zem_tag_save(tag);
    zem_tag_close(tag);
    return error == ZEM_OK ? std::string() : zem_error_text(error);
}

struct Measurement {
    ConvertItem item;
    std::unique_ptr<Loudness> loudness;
    std::string group;  // the album it belongs to ("" for none)
};

}  // namespace

int RunGainCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    GainRequest request;
    const std::string usageProblem = ParseGainArgs(args, request);
    if (request.help) {
        out << kGainUsage;
        return ZEMTOOL_OK;
    }
    if (!usageProblem.empty())
        return ReportUsageError(err, "gain", usageProblem);
    if (!kHaveLoudness)
        return ReportFailure(err, CODEC_BAD_INPUT, kNoLoudnessSupport);
    bool failed = false;
    std::vector<Measurement> measured;
    for (const std::string& input : request.inputs) {
        std::vector<ConvertItem> items;
        const std::string problem = PlanConversion(input, ConvertPlanOptions(), items);
        if (!problem.empty()) {
            ReportFailure(err, CODEC_BAD_INPUT, PrintableText(input) + ": " + problem);
            failed = true;
            continue;
        }
        for (ConvertItem& item : items) {
            std::string reason;
            std::unique_ptr<PcmSource> source = OpenPcmSource(item, &reason);
            std::unique_ptr<Loudness> loudness = source ? MeasureLoudness(*source, &reason) : nullptr;
            if (!loudness) {
                ReportFailure(err, CODEC_BAD_INPUT, PrintableText(input) + ": " + reason);
                failed = true;
                continue;
            }
            const std::string group = request.album ? "*" : item.range ? input : "";
            measured.push_back({std::move(item), std::move(loudness), group});
        }
    }
    // Album values: over the tracks of one sheet, or over everything with --album.
    std::map<std::string, std::vector<Loudness*>> groups;
    for (Measurement& m : measured) {
        if (!m.group.empty())
            groups[m.group].push_back(m.loudness.get());
    }
    std::map<std::string, Fields> albumFields;
    for (const auto& group : groups) {
        double peak = 0;
        for (Loudness* piece : group.second)
            peak = std::max(peak, piece->peak);
        const double loudness = AlbumLoudness(group.second);
        albumFields[group.first] = {{"REPLAYGAIN_ALBUM_GAIN", GainText(loudness)},
                                    {"REPLAYGAIN_ALBUM_PEAK", PeakText(peak)}};
        out << "album " << (group.first == "*" ? std::string("of all files") : PrintableText(group.first))
            << ": gain " << (GainText(loudness).empty() ? "none (silence)" : GainText(loudness)) << ", peak "
            << PeakText(peak) << "\n";
    }
    std::map<std::string, bool> imagesDone;
    for (Measurement& m : measured) {
        const std::string gain = GainText(m.loudness->loudness);
        const std::string name = m.item.range ? m.item.link : m.item.path;
        out << PrintableText(name) << ": gain " << (gain.empty() ? "none (silence)" : gain) << ", peak "
            << PeakText(m.loudness->peak) << "\n";
        if (request.dryRun)
            continue;
        Fields fields = {{"REPLAYGAIN_TRACK_GAIN", gain}, {"REPLAYGAIN_TRACK_PEAK", PeakText(m.loudness->peak)}};
        const Fields& album = albumFields[m.group];
        fields.insert(fields.end(), album.begin(), album.end());
        if (m.item.kind != SourceKind::Zem) {
            err << "zemtool: warning: " << PrintableText(name) << ": only ZEM streams and link files take the gain\n";
            continue;
        }
        if (m.item.range && !imagesDone[m.item.path] && !album.empty()) {
            imagesDone[m.item.path] = true;
            const std::string problem = WriteGainFields(m.item.path, album);
            if (!problem.empty()) {
                ReportFailure(err, CODEC_WRITE_FAILED, PrintableText(m.item.path) + ": " + problem);
                failed = true;
            }
        }
        if (m.item.range && !CanOpenFile(m.item.link)) {
            err << "zemtool: warning: " << PrintableText(m.item.link)
                << ": no such link file (make it with 'zemtool links'): track gain not written\n";
            continue;
        }
        const std::string problem = WriteGainFields(name, fields);
        if (!problem.empty()) {
            ReportFailure(err, CODEC_WRITE_FAILED, PrintableText(name) + ": " + problem);
            failed = true;
        }
    }
    return failed ? ZEMTOOL_FAILED : ZEMTOOL_OK;
}

}  // namespace zemtool
