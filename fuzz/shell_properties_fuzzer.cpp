// SPDX-License-Identifier: BSD-3-Clause
// The shell property handler's Initialize, without COM: the bytes of a file as
// the stream the shell hands over (read through callbacks, with and without
// seeking), described as the handler describes it. A stream the handler
// takes must be one the library opens from memory, with the same format,
// length and tag; a damaged one must be refused, never crash or hang.
//
// Input: the file's bytes.
#include "shellprops/track_properties.h"

#include "fuzz/fuzz_input.h"

#include <cstring>
#include <vector>

namespace {

struct Source {
    const std::vector<uint8_t>* bytes;
    size_t at;
};

long Read(void* user, void* buffer, long size) {
    auto* s = static_cast<Source*>(user);
    FUZZ_REQUIRE(size >= 0);
    const size_t left = s->bytes->size() - s->at;
    const size_t n = size_t(size) < left ? size_t(size) : left;
    if (n) std::memcpy(buffer, s->bytes->data() + s->at, n);
    s->at += n;
    return long(n);
}
int Seek(void* user, int64_t offset) {
    auto* s = static_cast<Source*>(user);
    if (offset < 0 || uint64_t(offset) > s->bytes->size()) return -1;
    s->at = size_t(offset);
    return 0;
}
int64_t Size(void* user) { return int64_t(static_cast<Source*>(user)->bytes->size()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes) return 0;
    const std::vector<uint8_t> bytes = fuzzing::CopyInput(data, size);

    const zem_io seekable = {&Read, &Seek, &Size};
    Source source{&bytes, 0};
    shellprops::TrackProperties track;
    const int status = shellprops::ReadStreamProperties(&seekable, &source, int64_t(size), track);

    // A pipe-like source (no seeking) goes through the same rules.
    const zem_io once = {&Read, nullptr, nullptr};
    Source pass{&bytes, 0};
    shellprops::TrackProperties passTrack;
    shellprops::ReadStreamProperties(&once, &pass, -1, passTrack);

    zem_decoder* d = zem_open_memory(bytes.data(), bytes.size(), nullptr);
    if (status != ZEM_OK) {
        FUZZ_REQUIRE(track.sampleRate == 0 && track.duration == 0 && track.title.empty());
        if (d) {
            // The library opened it: only a stream that describes no audio is refused then.
            zem_stream_info info{};
            zem_get_info(d, &info);
            FUZZ_REQUIRE(info.sample_rate == 0 || info.channels == 0);
        }
        zem_close(d);
        return 0;
    }
    FUZZ_REQUIRE(d != nullptr);
    zem_stream_info info{};
    FUZZ_REQUIRE(zem_get_info(d, &info) == ZEM_OK);
    FUZZ_REQUIRE(track.sampleRate == info.sample_rate && track.channels == info.channels);
    FUZZ_REQUIRE(track.sampleSize == info.bits_per_sample);
    FUZZ_REQUIRE(track.duration == shellprops::DurationOf(info.total_blocks, info.sample_rate));
    FUZZ_REQUIRE(track.bitrate == shellprops::AverageBitrate(int64_t(size), info.total_blocks, info.sample_rate));
    const char* title = zem_get_tag(d, "Title");
    FUZZ_REQUIRE(track.title == (title ? title : ""));
    FUZZ_REQUIRE(track.trackNumber <= 9999 && track.year <= 9999);
    zem_close(d);
    return 0;
}
