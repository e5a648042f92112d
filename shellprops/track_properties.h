// SPDX-License-Identifier: BSD-3-Clause
// What the shell's property handler tells about a stream or a link file's
// track, worked out through the C API alone and without any Windows header,
// so that the rules are tested and fuzzed on every platform.
#pragma once

#include <zem/zem.h>

#include <cstdint>
#include <string>

namespace shellprops {

struct TrackProperties {
    uint64_t duration = 0;    // 100 ns units
    uint32_t sampleRate = 0;  // Hz
    uint32_t channels = 0;
    uint32_t sampleSize = 0;  // bits per sample
    uint32_t bitrate = 0;     // the file's average in bits per second; 0 when not known
    // UTF-8 tag texts, empty when the tag lacks them.
    std::string title, artist, album, genre, comment;
    uint32_t trackNumber = 0;  // 0 when missing
    uint32_t year = 0;         // 0 when missing
};

// The time `blocks` blocks take at `rate` Hz, in 100 ns units, rounded down
// (the start of the block after the last, as the source filter times it).
uint64_t DurationOf(uint64_t blocks, uint32_t rate);
// The average bits per second of a file of `bytes` bytes holding `blocks`
// blocks at `rate` Hz, rounded to the nearest; 0 when it cannot be told.
uint32_t AverageBitrate(int64_t bytes, uint64_t blocks, uint32_t rate);
// The number a tag text starts with ("7/12" is 7, "2024-03-01" is 2024),
// 0 when it starts with none or the number exceeds `limit`.
uint32_t LeadingNumber(const char* text, uint32_t limit);

// Fills `out` from an open decoder; `fileBytes` is the file's size for the
// average bitrate (negative when not known). False for a stream that
// describes no audio (no rate or no channels).
bool DescribeTrack(const zem_decoder* d, int64_t fileBytes, TrackProperties& out);

// Opens the stream `io` delivers and describes it (ZEM_OK), or the error the
// library gave. `size` is the stream's length in bytes, negative when not known.
int ReadStreamProperties(const zem_io* io, void* user, int64_t size, TrackProperties& out);
// Opens a link file (its track, in the image it names) or a stream by its
// path and describes it. A link says nothing of its image's compression, so
// its bitrate stays 0. A link naming a network or device path is refused.
int ReadFileProperties(const char* pathUtf8, TrackProperties& out);

}  // namespace shellprops
