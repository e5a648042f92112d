// SPDX-License-Identifier: BSD-3-Clause
// What zemfs learns of a source file beyond the library's answers: where a
// stream's WAV trailer lies, to read a large one from the file instead of
// holding it, and what identifies a version of the file's audio, to tell a
// tag edit or a touch (which leave a reader's bytes as they were) from a
// change of what the reader gets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zemfs {

struct TrailerPlace {
    uint64_t offset = 0;
    uint64_t size = 0;
};

// Where the trailer of the stream at `path` lies in it, when the library
// gives it `size` bytes; nothing when the file holds no stream or the trailer
// would reach outside it.
std::optional<TrailerPlace> FindTrailer(const std::string& path, uint64_t size);

// For a stream: its description of its audio (the bytes from the stream's
// start to its first frame: header, seek table and stored WAV header, whose
// checksum stands for the frames; where the frames and the trailer end), none
// of which a tag edit touches. For another file (a link file, a cue sheet):
// its bytes. Nothing when the file cannot be read.
std::optional<uint64_t> SourceFingerprint(const std::string& path);

}  // namespace zemfs
