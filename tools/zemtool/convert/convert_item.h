// SPDX-License-Identifier: BSD-3-Clause
// One file that `zemtool convert` writes, and where its audio and tags come from.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zemtool {

enum class SourceKind { Zem, Wav, Flac };
enum class TargetKind { Flac, Wav, Zem };

// Tag fields under their Vorbis comment names (ARTIST, DATE, ...), in order;
// a name may come more than once.
using TagFields = std::vector<std::pair<std::string, std::string>>;

// An embedded picture: its bytes and what they were recognised as.
struct Picture {
    std::vector<uint8_t> bytes;
    std::string mime;  // "image/jpeg" or "image/png"; empty when there is no picture
    uint32_t width = 0, height = 0, depth = 0;
};

struct ConvertItem {
    std::string input;   // the argument it came from, for messages
    SourceKind kind = SourceKind::Zem;
    std::string path;    // the file read: the stream, link, WAV or FLAC file, or a track's image
    bool range = false;  // a track of an image: the blocks [start, finish) only
    int64_t start = -1, finish = -1;
    TagFields tags;
    Picture cover;
    std::string output;  // the file written, with its extension
    std::string link;    // a track's link file as `zemtool links` names it (it may not exist)
};

// The first value of `name` (compared without regard to ASCII case), or "".
std::string FieldValue(const TagFields& tags, const std::string& name);

}  // namespace zemtool
