// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ripcheck/rip_log.h"

#include "tools/zemtool/utf_text.h"

#include <regex>
#include <sstream>

namespace ripcheck {
namespace {

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string FromUtf16(const std::vector<uint8_t>& bytes, bool bigEndian) {
    std::string out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        uint32_t unit = bigEndian ? (bytes[i] << 8 | bytes[i + 1]) : (bytes[i + 1] << 8 | bytes[i]);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            const uint32_t low = bigEndian ? (bytes[i + 2] << 8 | bytes[i + 3]) : (bytes[i + 3] << 8 | bytes[i + 2]);
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
    return out;
}

std::string Trimmed(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
}

bool IsWellFormedUtf8(const std::string& text) {
    for (size_t at = 0; at < text.size();) {
        const size_t length = zemtool::WellFormedUtf8Length(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

uint32_t HexValue(const std::string& digits) { return static_cast<uint32_t>(std::stoul(digits, nullptr, 16)); }

}  // namespace

std::string LogTextFromBytes(const std::vector<uint8_t>& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return FromUtf16(bytes, false);
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return FromUtf16(bytes, true);
    size_t begin = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    std::string text(bytes.begin() + static_cast<std::ptrdiff_t>(begin), bytes.end());
    // A NUL would end the check early; logs hold none.
    if (text.find('\0') == std::string::npos && IsWellFormedUtf8(text))
        return text;
    std::string latin;
    for (char byte : text)
        AppendUtf8(latin, static_cast<unsigned char>(byte));
    return latin;
}

RipLog ParseRipLog(const std::string& text) {
    static const std::regex textTrack(R"(^Track\s+(\d+)\s*$)");
    static const std::regex yamlTrack(R"(^  (\d+):\s*$)");
    static const std::regex tocRow(R"(^\s*(\d+)\s*\|\s*[0-9:.]+\s*\|\s*[0-9:.]+\s*\|\s*(\d+)\s*\|\s*(\d+)\s*$)");
    static const std::regex copyCrc(R"(^\s*(?:Copy CRC|CRC32 hash)\s*:?\s*([0-9A-Fa-f]{8})\s*$)");
    static const std::regex yamlStart(R"(^\s+Start sector:\s*(\d+)\s*$)");
    static const std::regex yamlResult(R"(^\s+(Result|Confidence|Remote confidence|Local CRC|Remote CRC):\s*(.*)$)");
    static const std::regex yamlVersion(R"(^\s+(AccurateRip v[12]):\s*$)");
    // A whole-image rip reports its tracks' database results in its range section.
    static const std::regex rangeTrack(R"(^\s*Track\s+(\d+)\s+(.*ccurate.*)$)");

    RipLog log;
    std::istringstream lines(text);
    std::string line;
    std::string section;      // YAML: the top-level key we are in
    std::string arHeading;    // YAML: "AccurateRip v1" while inside that block
    int track = 0;
    int tocTrack = 0;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string trimmed = Trimmed(line);
        if (trimmed.empty())
            continue;
        const bool topLevel = line[0] != ' ' && line[0] != '\t';
        if (std::regex_match(line, match, textTrack)) {
            track = std::stoi(match[1]);
            log.dialect = "text";
            log.tracks[track];
            continue;
        }
        if (std::regex_match(line, match, rangeTrack)) {
            log.tracks[std::stoi(match[1])].accurateRip.push_back(Trimmed(match[2]));
            continue;
        }
        if (topLevel && !(section == "Range" && trimmed == "Selected range")) {
            track = 0;
            tocTrack = 0;
            arHeading.clear();
            // "Tracks:" and "TOC:" open the YAML log's sections.
            section = trimmed.back() == ':' ? trimmed.substr(0, trimmed.size() - 1) : std::string();
            if (trimmed.rfind("Range status", 0) == 0) {
                section = "Range";
                log.dialect = "text";
            }
            continue;
        }
        if (std::regex_match(line, match, tocRow)) {
            log.tocStarts[std::stoi(match[1])] = static_cast<uint32_t>(std::stoul(match[2]));
            continue;
        }
        if (section == "TOC") {
            if (std::regex_match(line, match, yamlTrack))
                tocTrack = std::stoi(match[1]);
            else if (tocTrack > 0 && std::regex_match(line, match, yamlStart))
                log.tocStarts[tocTrack] = static_cast<uint32_t>(std::stoul(match[1]));
            continue;
        }
        if (section == "Tracks" && std::regex_match(line, match, yamlTrack)) {
            track = std::stoi(match[1]);
            log.dialect = "yaml";
            log.tracks[track];
            arHeading.clear();
            continue;
        }
        if (section == "Range") {
            if (std::regex_match(line, match, copyCrc))
                log.rangeCrc32 = HexValue(match[1]);
            continue;
        }
        if (track == 0)
            continue;
        LogTrack& entry = log.tracks[track];
        if (std::regex_match(line, match, copyCrc)) {
            entry.crc32 = HexValue(match[1]);
        } else if (log.dialect == "yaml") {
            if (std::regex_match(line, match, yamlVersion))
                arHeading = match[1];
            else if (!arHeading.empty() && std::regex_match(line, match, yamlResult))
                entry.accurateRip.push_back(arHeading + " " + match[1].str() + ": " + Trimmed(match[2]));
            else if (line.find_first_not_of(' ') <= 4)
                arHeading.clear();
        } else if (trimmed.find("ccurate") != std::string::npos || trimmed.find("AccurateRip") != std::string::npos) {
            entry.accurateRip.push_back(trimmed);
        }
    }
    return log;
}

}  // namespace ripcheck
