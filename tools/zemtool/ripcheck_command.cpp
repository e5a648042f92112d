// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ripcheck_command.h"

#include "tools/zemtool/argument_cursor.h"
#include "tools/zemtool/ripcheck/database_fetch.h"
#include "tools/zemtool/ripcheck/image_sums.h"
#include "tools/zemtool/ripcheck/offset_search.h"
#include "tools/zemtool/ripcheck_inputs.h"
#include "tools/zemtool/ripcheck_result.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <zem/zem.h>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace zemtool {
namespace {

constexpr size_t kMaxLogBytes = 16 * 1024 * 1024;

struct RipcheckRequest {
    bool help = false;
    bool json = false;
    bool lookup = false;
    bool haveFile = false;
    std::string file;
    std::string log;
    std::string database = ripcheck::kDefaultDatabaseBase;
    long timeout = 10;
};

std::string ParseRipcheckArgs(const std::vector<std::string>& args, RipcheckRequest& request) {
    ArgumentCursor cursor(args);
    while (cursor.Next()) {
        const std::string& arg = cursor.Current();
        if (cursor.Is("-h", "--help")) {
            request.help = true;
        } else if (cursor.Is("-q", "--quiet")) {
            // Nothing to silence: the table is the output; many files' summary goes.
        } else if (cursor.Is("--json")) {
            request.json = true;
        } else if (cursor.Is("--lookup")) {
            request.lookup = true;
        } else if (cursor.Is("--log")) {
            if (!cursor.TakeValue(&request.log) || request.log.empty())
                return "--log needs a file";
        } else if (cursor.Is("--database")) {
            if (!cursor.TakeValue(&request.database) || request.database.empty())
                return "--database needs an address";
        } else if (cursor.Is("--timeout")) {
            std::string value;
            if (!cursor.TakeValue(&value))
                return "--timeout needs a number of seconds";
            char* end = nullptr;
            const long seconds = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || seconds < 1 || seconds > 600)
                return "--timeout takes 1 to 600 seconds, not " + Quoted(value);
            request.timeout = seconds;
        } else if (cursor.IsOption()) {
            return "unknown option " + Quoted(arg);
        } else if (request.haveFile) {
            return "more than one file given";
        } else {
            request.file = arg;
            request.haveFile = true;
        }
    }
    if (!request.help && !request.haveFile)
        return "no cue sheet or image given";
    return {};
}

// The table of contents as the disc had it: the image starts at the disc's first sector.
ripcheck::DiscToc TocOf(const std::vector<uint32_t>& starts, uint64_t samples) {
    ripcheck::DiscToc toc;
    toc.trackStarts = starts;
    toc.leadout = static_cast<uint32_t>((samples + ripcheck::kSectorSamples - 1) / ripcheck::kSectorSamples);
    return toc;
}

// Empty when the log's table of contents (or its track numbers) fits the sheet.
std::string OtherDiscReason(const ripcheck::RipLog& log, const RipcheckSheet& sheet) {
    if (!log.tocStarts.empty()) {
        if (log.tocStarts.size() != sheet.startSectors.size())
            return "the log is for another disc: its table of contents lists " + std::to_string(log.tocStarts.size()) +
                   " tracks, the sheet " + std::to_string(sheet.startSectors.size());
        for (size_t i = 0; i < sheet.numbers.size(); ++i) {
            auto entry = log.tocStarts.find(sheet.numbers[i]);
            if (entry == log.tocStarts.end() || entry->second != sheet.startSectors[i])
                return "the log is for another disc: track " + std::to_string(sheet.numbers[i]) +
                       (entry == log.tocStarts.end() ? std::string(" is not in its table of contents")
                                                     : " starts at sector " + std::to_string(entry->second) +
                                                           " there, at " + std::to_string(sheet.startSectors[i]) +
                                                           " in the sheet");
        }
    }
    if (!log.tracks.empty() && log.tracks.rbegin()->first > sheet.numbers.back())
        return "the log is for another disc: it has a track " + std::to_string(log.tracks.rbegin()->first) +
               ", the sheet ends at " + std::to_string(sheet.numbers.back());
    return {};
}

// A log found beside the sheet that holds no track is some other program's
// log: it is passed over. One given with --log must be a rip log.
void ApplyLog(const std::string& path, bool given, const RipcheckSheet& sheet, RipcheckResult* result,
              std::ostream& err) {
    result->logFile = path;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, kMaxLogBytes, &bytes)) {
        result->logDialect = "unread";
        result->logProblem = "cannot read the log " + Quoted(path);
        return;
    }
    const ripcheck::RipLog log = ripcheck::ParseRipLog(ripcheck::LogTextFromBytes(bytes));
    result->logDialect = log.dialect.empty() ? "unknown" : log.dialect;
    if (log.dialect.empty()) {
        if (!given) {
            err << "zemtool: warning: " << Quoted(path) << " beside the sheet is no rip log; passed over\n";
            result->logFile.clear();
            result->logDialect.clear();
            return;
        }
        result->logProblem = "no track found in the log";
        return;
    }
    result->logProblem = OtherDiscReason(log, sheet);
    if (!result->logProblem.empty())
        return;
    result->logRangeCrc = log.rangeCrc32;
    for (RipcheckTrack& track : result->tracks) {
        auto entry = log.tracks.find(track.number);
        if (entry == log.tracks.end())
            continue;
        track.logCrc = entry->second.crc32;
        track.logAccurateRip = entry->second.accurateRip;
    }
}

// For the tracks the database does not know: the read offsets that would make them match.
void SearchOffsets(const std::string& image, const std::vector<ripcheck::Pressing>& pressings, RipcheckResult* result) {
    int error = 0;
    zem_decoder* decoder = zem_open_range(image.c_str(), -1, -1, &error);
    if (!decoder) {
        result->offsetProblem = std::string("cannot open the image again: ") + zem_error_text(error);
        return;
    }
    std::map<int, std::vector<int>> byOffset;
    for (size_t i = 0; i < result->tracks.size(); ++i) {
        const RipcheckTrack& track = result->tracks[i];
        if (!track.database || track.database->matched)
            continue;
        std::vector<uint32_t> wanted;
        for (const ripcheck::Pressing& pressing : pressings) {
            if (pressing.ids.id1 == result->ids.id1 && pressing.ids.id2 == result->ids.id2 && i < pressing.tracks.size())
                wanted.push_back(pressing.tracks[i].checksum);
        }
        std::vector<int> offsets;
        if (!ripcheck::FindMatchingOffsets(decoder, static_cast<uint64_t>(track.startSector) * ripcheck::kSectorSamples,
                                           track.samples, i == 0, i + 1 == result->tracks.size(), wanted,
                                           ripcheck::kMaxReadOffset, &offsets, &result->offsetProblem))
            break;
        for (int offset : offsets)
            byOffset[offset].push_back(track.number);
    }
    zem_close(decoder);
    result->offsets.assign(byOffset.begin(), byOffset.end());
    std::stable_sort(result->offsets.begin(), result->offsets.end(), [](const auto& a, const auto& b) {
        if (a.second.size() != b.second.size())
            return a.second.size() > b.second.size();
        return std::abs(a.first) < std::abs(b.first);
    });
}

void ApplyLookup(const RipcheckRequest& request, const std::string& image, RipcheckResult* result) {
    result->lookedUp = true;
    std::string base = request.database;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    const ripcheck::FetchResult fetched = ripcheck::FetchUrl(base + ripcheck::DatabasePath(result->ids), request.timeout);
    using Outcome = ripcheck::FetchResult::Outcome;
    if (fetched.outcome == Outcome::NotFound) {
        result->lookupState = "not-found";
        result->lookupProblem = fetched.problem;
        return;
    }
    std::vector<ripcheck::Pressing> pressings;
    std::string problem = fetched.problem;
    if (fetched.outcome != Outcome::Answered ||
        !ripcheck::ParseDatabaseResponse(fetched.body, &pressings, &problem)) {
        result->lookupState = "failed";
        result->lookupProblem = fetched.outcome == Outcome::Answered ? "damaged answer: " + problem : problem;
        return;
    }
    result->lookupState = "found";
    result->pressings = pressings.size();
    for (size_t i = 0; i < result->tracks.size(); ++i) {
        RipcheckTrack& track = result->tracks[i];
        track.database = ripcheck::MatchTrack(pressings, result->ids, i, track.sums.v1, track.sums.v2);
    }
    SearchOffsets(image, pressings, result);
}

}  // namespace

int RunRipcheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    RipcheckRequest request;
    const std::string problem = ParseRipcheckArgs(args, request);
    if (request.help) {
        out << kRipcheckUsage;
        return ZEMTOOL_OK;
    }
    if (!problem.empty())
        return ReportUsageError(err, "ripcheck", problem);
    const RipcheckSheet sheet = ReadRipcheckSheet(request.file);
    if (!sheet.problem.empty())
        return ReportFailure(err, CODEC_BAD_INPUT, sheet.problem);

    int error = 0;
    zem_decoder* decoder = zem_open_range(sheet.image.c_str(), -1, -1, &error);
    if (!decoder)
        return ReportFailure(err, CODEC_BAD_INPUT, "cannot open image " + Quoted(sheet.image) + ": " + zem_error_text(error));
    std::vector<uint64_t> starts;
    for (uint32_t sector : sheet.startSectors)
        starts.push_back(static_cast<uint64_t>(sector) * ripcheck::kSectorSamples);
    const ripcheck::ImageSums sums = ripcheck::SumImage(decoder, starts);
    zem_close(decoder);
    if (!sums.ok)
        return ReportFailure(err, CODEC_BAD_INPUT, Quoted(sheet.image) + ": " + sums.problem);
    if (sums.samples % ripcheck::kSectorSamples != 0)
        err << "zemtool: warning: the image's length is no whole number of CD sectors (" << sums.samples % ripcheck::kSectorSamples
            << " samples over)\n";

    for (int number : sheet.dataTracks)
        err << "zemtool: warning: track " << number
            << " is a data track: the sheet cannot tell where the disc's lead-out lies, so the disc ids count the "
               "audio tracks alone and differ from the disc's own\n";
    RipcheckResult result;
    const ripcheck::DiscToc toc = TocOf(sheet.startSectors, sums.samples);
    result.ids = ripcheck::AccurateRipIdsOf(toc);
    result.musicBrainzId = ripcheck::MusicBrainzId(toc);
    result.damage = sums.damage;
    result.imageCrc = sums.imageCrc32;
    for (size_t i = 0; i < sums.tracks.size(); ++i) {
        RipcheckTrack track;
        track.number = sheet.numbers[i];
        track.startSector = sheet.startSectors[i];
        track.samples = sums.trackSamples[i];
        track.sums = sums.tracks[i];
        result.tracks.push_back(track);
    }

    std::string logPath = request.log;
    if (logPath.empty()) {
        std::string note;
        logPath = FindLogBeside(sheet, &note);
        if (!note.empty())
            err << "zemtool: warning: " << note << "\n";
    }
    if (!logPath.empty())
        ApplyLog(logPath, !request.log.empty(), sheet, &result, err);
    if (request.lookup)
        ApplyLookup(request, sheet.image, &result);

    if (request.json)
        PrintRipcheckJson(result, out);
    else
        PrintRipcheckTable(result, out);
    return result.Passed() ? ZEMTOOL_OK : ZEMTOOL_FAILED;
}

}  // namespace zemtool
