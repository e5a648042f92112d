// SPDX-License-Identifier: BSD-3-Clause
#include "shellprops/track_properties.h"

namespace shellprops {

namespace {

constexpr uint64_t kUnitsPerSecond = 10000000;

// A decoder closed at the end of the scope.
class Decoder {
public:
    explicit Decoder(zem_decoder* d) : m_d(d) {}
    ~Decoder() { zem_close(m_d); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    zem_decoder* Get() const { return m_d; }

private:
    zem_decoder* m_d;
};

std::string TagText(const zem_decoder* d, const char* field) {
    const char* text = zem_get_tag(d, field);
    return text ? text : "";
}

// Both builds (GCC for MinGW, clang for the fuzzers) have 128-bit integers on x86-64.
using Wide = unsigned __int128;

}  // namespace

uint64_t DurationOf(uint64_t blocks, uint32_t rate) {
    if (rate == 0) return 0;
    const Wide units = Wide(blocks) * kUnitsPerSecond / rate;
    return units > UINT64_MAX ? UINT64_MAX : static_cast<uint64_t>(units);
}

uint32_t AverageBitrate(int64_t bytes, uint64_t blocks, uint32_t rate) {
    if (bytes <= 0 || blocks == 0 || rate == 0) return 0;
    const Wide perSecond = (Wide(uint64_t(bytes)) * 8u * rate + blocks / 2) / blocks;
    return perSecond > UINT32_MAX ? 0 : static_cast<uint32_t>(perSecond);
}

uint32_t LeadingNumber(const char* text, uint32_t limit) {
    if (!text) return 0;
    while (*text == ' ') ++text;
    uint64_t value = 0;
    bool digits = false;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + uint64_t(*text - '0');
        if (value > limit) return 0;
        digits = true;
    }
    return digits ? static_cast<uint32_t>(value) : 0;
}

bool DescribeTrack(const zem_decoder* d, int64_t fileBytes, TrackProperties& out) {
    zem_stream_info info{};
    if (zem_get_info(d, &info) != ZEM_OK || info.sample_rate == 0 || info.channels == 0) return false;
    TrackProperties properties;
    properties.duration = DurationOf(info.total_blocks, info.sample_rate);
    properties.sampleRate = info.sample_rate;
    properties.channels = info.channels;
    properties.sampleSize = info.bits_per_sample;
    properties.bitrate = AverageBitrate(fileBytes, info.total_blocks, info.sample_rate);
    properties.title = TagText(d, "Title");
    properties.artist = TagText(d, "Artist");
    properties.album = TagText(d, "Album");
    properties.genre = TagText(d, "Genre");
    properties.comment = TagText(d, "Comment");
    properties.trackNumber = LeadingNumber(zem_get_tag(d, "Track"), 9999);
    properties.year = LeadingNumber(zem_get_tag(d, "Year"), 9999);
    out = properties;
    return true;
}

int ReadStreamProperties(const zem_io* io, void* user, int64_t size, TrackProperties& out) {
    int error = ZEM_OK;
    Decoder d(zem_open_io(io, user, &error));
    if (!d.Get()) return error != ZEM_OK ? error : ZEM_ERROR_FAILED;
    return DescribeTrack(d.Get(), size, out) ? ZEM_OK : ZEM_ERROR_BAD_INPUT;
}

int ReadFileProperties(const char* pathUtf8, TrackProperties& out) {
    int error = ZEM_OK;
    Decoder d(zem_open(pathUtf8, &error));
    if (!d.Get()) return error != ZEM_OK ? error : ZEM_ERROR_FAILED;
    return DescribeTrack(d.Get(), -1, out) ? ZEM_OK : ZEM_ERROR_BAD_INPUT;
}

}  // namespace shellprops
