// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/json_writer.h"
#include "tools/zemtool/printable_text.h"
#include "tools/zemtool/ripcheck_result.h"

#include <cstdio>
#include <cstdlib>

namespace zemtool {
namespace {

using ripcheck::Hex8;

// MM:SS:FF, as cue sheets and rip logs write positions on a disc.
std::string SectorTime(uint64_t sectors) {
    char text[32];
    std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu", static_cast<unsigned long long>(sectors / 75 / 60),
                  static_cast<unsigned long long>(sectors / 75 % 60), static_cast<unsigned long long>(sectors % 75));
    return text;
}

std::string LengthTime(uint64_t samples) {
    std::string time = SectorTime(samples / ripcheck::kSectorSamples);
    if (samples % ripcheck::kSectorSamples != 0)
        time += "+" + std::to_string(samples % ripcheck::kSectorSamples);
    return time;
}

std::string LogColumn(const RipcheckTrack& track) {
    if (!track.logCrc)
        return "-";
    return *track.logCrc == track.sums.crc32 ? "same" : "DIFFERS " + Hex8(*track.logCrc);
}

std::string DatabaseColumn(const RipcheckResult& result, const RipcheckTrack& track) {
    if (!track.database)
        return result.lookedUp ? "-" : "";
    if (!track.database->matched)
        return "NO MATCH";
    return "v" + std::to_string(track.database->version) + ", confidence " +
           std::to_string(track.database->confidence);
}

std::string Padded(std::string text, size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

}  // namespace

bool RipcheckResult::TrackFailed(const RipcheckTrack& track) const {
    if (track.logCrc && *track.logCrc != track.sums.crc32)
        return true;
    return track.database && !track.database->matched;
}

bool RipcheckResult::Passed() const {
    if (!damage.empty() || !logProblem.empty() || lookupState == "failed" || (logRangeCrc && *logRangeCrc != imageCrc))
        return false;
    for (const RipcheckTrack& track : tracks) {
        if (TrackFailed(track))
            return false;
    }
    return true;
}

void PrintRipcheckTable(const RipcheckResult& result, std::ostream& out) {
    out << "Disc: " << result.ids.tracks << (result.ids.tracks == 1 ? " track" : " tracks") << "\n"
        << "  AccurateRip id  " << ripcheck::AccurateRipName(result.ids) << "\n"
        << "  CDDB id         " << Hex8(result.ids.cddb) << "\n"
        << "  MusicBrainz id  " << (result.musicBrainzId.empty() ? "(not available in this build)" : result.musicBrainzId)
        << "\n\n";
    const bool haveLog = !result.logFile.empty();
    std::string heading = "Track  Start     Length    AR v1     AR v2     CRC-32    ";
    if (haveLog)
        heading += "Log CRC           ";
    if (result.lookedUp)
        heading += "Database";
    out << heading.substr(0, heading.find_last_not_of(' ') + 1) << "\n";
    for (const RipcheckTrack& track : result.tracks) {
        char number[8];
        std::snprintf(number, sizeof number, "%5d", track.number);
        std::string line = std::string(number) + "  " + SectorTime(track.startSector) + "  " +
                           Padded(LengthTime(track.samples), 8) + "  " + Hex8(track.sums.v1) + "  " +
                           Hex8(track.sums.v2) + "  " + Hex8(track.sums.crc32) + "  " +
                           (haveLog ? Padded(LogColumn(track), 16) + "  " : std::string()) +
                           DatabaseColumn(result, track);
        out << line.substr(0, line.find_last_not_of(' ') + 1) << "\n";
    }
    for (const std::string& damage : result.damage)
        out << "Damaged frame: " << damage << "\n";
    if (!result.logFile.empty()) {
        out << "\nLog " << PrintableText(result.logFile) << " (" << result.logDialect << ")\n";
        if (!result.logProblem.empty())
            out << "  " << result.logProblem << "\n";
        if (result.logRangeCrc)
            out << "  image CRC-32 " << Hex8(result.imageCrc) << ", the log's "
                << Hex8(*result.logRangeCrc) << (*result.logRangeCrc == result.imageCrc ? ": same" : ": DIFFERS") << "\n";
        for (const RipcheckTrack& track : result.tracks) {
            for (const std::string& line : track.logAccurateRip)
                out << "  track " << track.number << ": " << PrintableText(line) << "\n";
        }
    }
    if (result.lookedUp) {
        out << "\nDatabase: ";
        if (result.lookupState == "found")
            out << result.pressings << (result.pressings == 1 ? " pressing" : " pressings") << "\n";
        else
            out << result.lookupProblem << "\n";
        for (size_t i = 0; i < result.offsets.size() && i < 3; ++i) {
            out << "  read " << std::abs(result.offsets[i].first) << " samples "
                << (result.offsets[i].first > 0 ? "later" : "earlier") << " (offset "
                << (result.offsets[i].first > 0 ? "+" : "") << result.offsets[i].first << "), track"
                << (result.offsets[i].second.size() == 1 ? " " : "s ");
            for (size_t t = 0; t < result.offsets[i].second.size(); ++t)
                out << (t ? ", " : "") << result.offsets[i].second[t];
            out << " would match (v1)\n";
        }
        if (!result.offsetProblem.empty())
            out << "  offset search: " << result.offsetProblem << "\n";
    }
    size_t failed = 0;
    for (const RipcheckTrack& track : result.tracks)
        failed += result.TrackFailed(track) ? 1 : 0;
    out << "\n";
    if (result.Passed())
        out << "Every check passed.\n";
    else if (failed > 0)
        out << failed << (failed == 1 ? " track failed" : " tracks failed") << " a check.\n";
    else
        out << "A check could not be made.\n";
}

void PrintRipcheckJson(const RipcheckResult& result, std::ostream& out) {
    out << "{\"disc\": {\"tracks\": " << result.ids.tracks << ", \"accuraterip_id\": "
        << JsonQuote(ripcheck::AccurateRipName(result.ids)) << ", \"cddb_id\": " << JsonQuote(Hex8(result.ids.cddb))
        << ", \"musicbrainz_id\": " << (result.musicBrainzId.empty() ? "null" : JsonQuote(result.musicBrainzId))
        << "},\n \"tracks\": [";
    bool firstTrack = true;
    for (const RipcheckTrack& track : result.tracks) {
        out << (firstTrack ? "\n  " : ",\n  ") << "{\"number\": " << track.number
            << ", \"start_sector\": " << track.startSector << ", \"samples\": " << track.samples
            << ", \"accuraterip_v1\": " << JsonQuote(Hex8(track.sums.v1))
            << ", \"accuraterip_v2\": " << JsonQuote(Hex8(track.sums.v2))
            << ", \"crc32\": " << JsonQuote(Hex8(track.sums.crc32));
        if (track.logCrc)
            out << ", \"log_crc32\": " << JsonQuote(Hex8(*track.logCrc))
                << ", \"log_crc32_matches\": " << (*track.logCrc == track.sums.crc32 ? "true" : "false");
        if (!track.logAccurateRip.empty()) {
            out << ", \"log_accuraterip\": [";
            for (size_t i = 0; i < track.logAccurateRip.size(); ++i)
                out << (i ? ", " : "") << JsonQuote(track.logAccurateRip[i]);
            out << "]";
        }
        if (track.database) {
            out << ", \"database\": {\"matched\": " << (track.database->matched ? "true" : "false");
            if (track.database->matched)
                out << ", \"version\": " << track.database->version << ", \"confidence\": "
                    << track.database->confidence << ", \"pressings\": " << track.database->pressings;
            out << "}";
        }
        out << ", \"passed\": " << (result.TrackFailed(track) ? "false" : "true") << "}";
        firstTrack = false;
    }
    out << "]";
    if (!result.damage.empty()) {
        out << ",\n \"damaged_frames\": [";
        for (size_t i = 0; i < result.damage.size(); ++i)
            out << (i ? ", " : "") << JsonQuote(result.damage[i]);
        out << "]";
    }
    if (!result.logFile.empty()) {
        out << ",\n \"log\": {\"file\": " << JsonQuote(result.logFile) << ", \"dialect\": "
            << JsonQuote(result.logDialect);
        if (!result.logProblem.empty())
            out << ", \"problem\": " << JsonQuote(result.logProblem);
        if (result.logRangeCrc)
            out << ", \"range_crc32\": " << JsonQuote(Hex8(*result.logRangeCrc)) << ", \"image_crc32\": "
                << JsonQuote(Hex8(result.imageCrc)) << ", \"range_crc32_matches\": "
                << (*result.logRangeCrc == result.imageCrc ? "true" : "false");
        out << "}";
    }
    if (result.lookedUp) {
        out << ",\n \"lookup\": {\"state\": " << JsonQuote(result.lookupState);
        if (result.lookupState == "found") {
            out << ", \"pressings\": " << result.pressings << ", \"offsets\": [";
            for (size_t i = 0; i < result.offsets.size(); ++i) {
                out << (i ? ", " : "") << "{\"offset\": " << result.offsets[i].first << ", \"tracks\": [";
                for (size_t t = 0; t < result.offsets[i].second.size(); ++t)
                    out << (t ? ", " : "") << result.offsets[i].second[t];
                out << "]}";
            }
            out << "]";
        } else
            out << ", \"problem\": " << JsonQuote(result.lookupProblem);
        out << "}";
    }
    out << ",\n \"passed\": " << (result.Passed() ? "true" : "false") << "}\n";
}

}  // namespace zemtool
