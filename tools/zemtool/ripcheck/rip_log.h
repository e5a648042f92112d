// SPDX-License-Identifier: BSD-3-Clause
// What a ripping program's log says about each track: the CRC of the audio it
// wrote and its own AccurateRip verdict. Reads the text logs of the common
// Windows and macOS rippers (UTF-8, UTF-16 with a byte-order mark, or 8-bit)
// and the YAML logs of Linux rippers; everything else in a log is passed over.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ripcheck {

struct LogTrack {
    std::optional<uint32_t> crc32;
    std::vector<std::string> accurateRip;  // the log's own lines about it, trimmed
};

struct RipLog {
    std::string dialect;                     // "text" or "yaml"; empty when nothing was recognised
    std::map<int, LogTrack> tracks;          // by track number
    std::map<int, uint32_t> tocStarts;       // the table of contents' start sectors, where printed
    std::optional<uint32_t> rangeCrc32;      // a whole-image rip's one CRC
};

// The log's text as UTF-8: byte-order marks decide UTF-16 and UTF-8; other
// text that is no well-formed UTF-8 is taken as Latin-1.
std::string LogTextFromBytes(const std::vector<uint8_t>& bytes);
RipLog ParseRipLog(const std::string& text);

}  // namespace ripcheck
