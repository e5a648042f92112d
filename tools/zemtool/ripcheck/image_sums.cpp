// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ripcheck/image_sums.h"

#include <zem/zem.h>

#include <algorithm>
#include <memory>

namespace ripcheck {
namespace {

constexpr long kReadSamples = 16 * 1024;

std::string FormatProblem(const zem_stream_info& info) {
    return "the image holds " + std::to_string(info.sample_rate) + " Hz " + std::to_string(info.bits_per_sample) +
           "-bit audio in " + std::to_string(info.channels) +
           " channels; only CD audio (44100 Hz, 16-bit, 2 channels) has these checksums";
}

}  // namespace

ImageSums SumImage(zem_decoder* decoder, const std::vector<uint64_t>& starts) {
    ImageSums result;
    zem_stream_info info{};
    if (zem_get_info(decoder, &info) != ZEM_OK) {
        result.problem = "the image's format cannot be read";
        return result;
    }
    if (info.sample_rate != 44100 || info.bits_per_sample != 16 || info.channels != 2) {
        result.problem = FormatProblem(info);
        return result;
    }
    result.samples = info.total_blocks;
    if (starts.empty()) {
        result.problem = "the sheet lists no track";
        return result;
    }
    for (size_t i = 0; i < starts.size(); ++i) {
        if (starts[i] >= info.total_blocks || (i > 0 && starts[i] <= starts[i - 1])) {
            result.problem = "track " + std::to_string(i + 1) +
                             (starts[i] >= info.total_blocks ? " starts at or after the image's end"
                                                             : " does not start after the track before it");
            return result;
        }
    }
    std::vector<TrackChecksum> sums;
    for (size_t i = 0; i < starts.size(); ++i) {
        const uint64_t end = i + 1 < starts.size() ? starts[i + 1] : info.total_blocks;
        result.trackSamples.push_back(end - starts[i]);
        sums.emplace_back(end - starts[i], i == 0, i + 1 == starts.size());
    }
    std::unique_ptr<uint8_t[]> pcm(new uint8_t[static_cast<size_t>(kReadSamples) * 4]);
    uint32_t imageCrc = 0;
    uint64_t position = 0;
    size_t track = 0;
    while (position < info.total_blocks) {
        long got = zem_read(decoder, pcm.get(), kReadSamples);
        if (got == 0)
            break;
        uint64_t taken = got > 0 ? static_cast<uint64_t>(got) : 0;
        if (got < 0) {
            // The decoder skipped to the next frame; its samples count as silence,
            // as `decode` writes them.
            const int64_t now = zem_tell(decoder);
            if (now < 0 || static_cast<uint64_t>(now) <= position) {
                result.problem = std::string("decoding stopped: ") + zem_error_text(static_cast<int>(got));
                return result;
            }
            taken = static_cast<uint64_t>(now) - position;
            result.damage.push_back("samples " + std::to_string(position) + " to " + std::to_string(now - 1) + ": " +
                                    zem_error_text(static_cast<int>(got)));
        }
        const std::vector<uint8_t> silence(got > 0 ? 0 : static_cast<size_t>(taken) * 4, 0);
        const uint8_t* samples = got > 0 ? pcm.get() : silence.data();
        imageCrc = Crc32(imageCrc, samples, static_cast<size_t>(taken) * 4);
        uint64_t done = 0;
        // Audio before track 1 (a hidden track) counts in the image's CRC alone.
        if (position < starts.front()) {
            done = std::min<uint64_t>(taken, starts.front() - position);
            position += done;
        }
        while (done < taken) {
            const uint64_t end = track + 1 < starts.size() ? starts[track + 1] : info.total_blocks;
            const uint64_t piece = std::min<uint64_t>(taken - done, end - position);
            sums[track].Add(samples + done * 4, static_cast<size_t>(piece));
            done += piece;
            position += piece;
            if (position == end && track + 1 < starts.size())
                ++track;
        }
    }
    if (position != info.total_blocks) {
        result.problem = "the image ended early, at sample " + std::to_string(position);
        return result;
    }
    for (const TrackChecksum& sum : sums)
        result.tracks.push_back(sum.Result());
    result.imageCrc32 = imageCrc;
    result.ok = true;
    return result;
}

}  // namespace ripcheck
