// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/stream_facts.h"

#include <zem/zem.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

namespace zemfs {
namespace {

// Where the bytes of a fingerprint stop: a stream's description of its audio
// or a text file are far smaller; a larger file is known by its size beyond.
constexpr uint64_t kMaxFingerprintBytes = 16u << 20;

struct Fnv {
    uint64_t value = 14695981039346656037ull;
    void Add(const uint8_t* bytes, size_t size) {
        for (size_t i = 0; i < size; ++i)
            value = (value ^ bytes[i]) * 1099511628211ull;
    }
    void Add(uint64_t number) {
        uint8_t bytes[8];
        for (int i = 0; i < 8; ++i)
            bytes[i] = static_cast<uint8_t>(number >> (8 * i));
        Add(bytes, sizeof bytes);
    }
};

// Adds the file's bytes from `from` up to `to` (cut to kMaxFingerprintBytes);
// false when they cannot be read.
bool AddBytes(const std::string& path, uint64_t from, uint64_t to, Fnv* hash) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::vector<uint8_t> buffer(64 * 1024);
    const bool toEnd = to == UINT64_MAX;
    to = std::min(to, from + kMaxFingerprintBytes);
    bool whole = true;
    while (from < to) {
        const ssize_t got = pread(fd, buffer.data(), std::min<uint64_t>(buffer.size(), to - from),
                                  static_cast<off_t>(from));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            whole = got == 0 && toEnd;  // the end of a file read to its end
            break;
        }
        hash->Add(buffer.data(), static_cast<size_t>(got));
        from += static_cast<uint64_t>(got);
    }
    close(fd);
    return whole;
}

struct StreamEnds {
    uint64_t descriptionStart = 0;  // where the stream starts, behind any junk
    uint64_t framesStart = 0;
    uint64_t trailerEnd = 0;        // where the tags at the end begin
    uint64_t trailerBytes = 0;
    uint64_t blocks = 0;
};

std::optional<StreamEnds> ReadStreamEnds(const std::string& path) {
    int error = 0;
    zem_decoder* decoder = zem_open(path.c_str(), &error);
    if (!decoder)
        return std::nullopt;
    zem_stream_layout layout;
    const int got = zem_get_layout(decoder, &layout);
    zem_close(decoder);
    if (got != ZEM_OK)
        return std::nullopt;
    StreamEnds ends;
    ends.descriptionStart = layout.stream_start;
    ends.framesStart = layout.frames_start;
    ends.trailerEnd = layout.audio_end;
    ends.trailerBytes = layout.trailer_bytes;
    ends.blocks = layout.blocks;
    return ends;
}

}  // namespace

std::optional<TrailerPlace> FindTrailer(const std::string& path, uint64_t size) {
    const std::optional<StreamEnds> ends = ReadStreamEnds(path);
    if (!ends || ends->trailerBytes != size || ends->trailerEnd < size + ends->framesStart)
        return std::nullopt;
    return TrailerPlace{ends->trailerEnd - size, size};
}

std::optional<uint64_t> SourceFingerprint(const std::string& path) {
    Fnv hash;
    if (const std::optional<StreamEnds> ends = ReadStreamEnds(path)) {
        hash.Add(ends->framesStart - ends->descriptionStart);
        hash.Add(ends->trailerEnd - ends->descriptionStart);
        hash.Add(ends->trailerBytes);
        hash.Add(ends->blocks);
        if (!AddBytes(path, ends->descriptionStart, ends->framesStart, &hash))
            return std::nullopt;
        return hash.value;
    }
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return std::nullopt;
    hash.Add(static_cast<uint64_t>(status.st_size));
    if (!AddBytes(path, 0, UINT64_MAX, &hash))
        return std::nullopt;
    return hash.value;
}

}  // namespace zemfs
