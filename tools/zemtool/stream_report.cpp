// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/stream_report.h"

#include "tools/zemtool/file_names.h"
#include "tools/zemtool/library_errors.h"
#include "tools/zemtool/link_image.h"
#include "tools/zemtool/open_failure.h"
#include "tools/zemtool/tool_errors.h"

#include <algorithm>
#include <memory>

namespace zemtool {
namespace {

struct DecoderCloser {
    void operator()(zem_decoder* decoder) const { zem_close(decoder); }
};

// The decoder's own clamping of a link's range to the image (a negative start
// is the beginning, a negative finish the end).
LinkRange ClampedRange(const std::string& link, int64_t totalBlocks) {
    LinkRange range;
    range.imagePath = LinkImage(link);
    int64_t start = 0, finish = 0;
    zem_link_read(link.c_str(), nullptr, 0, &start, &finish);
    range.startBlock = start < 0 ? 0 : std::min(start, totalBlocks);
    range.finishBlock = finish < 0 ? totalBlocks : std::min(finish, totalBlocks);
    return range;
}

}  // namespace

const std::vector<NamedFact>& ReportedFacts() {
    // The per-frame answers, buffer copies and pointers the library keeps are
    // left out on purpose: these describe the whole file.
    static const std::vector<NamedFact> kFacts = {
        {"Version", &zem_stream_facts::version},
        {"CompressionLevel", &zem_stream_facts::compression_level},
        {"FormatFlags", &zem_stream_facts::format_flags},
        {"SampleRate", &zem_stream_facts::sample_rate},
        {"BitsPerSample", &zem_stream_facts::bits_per_sample},
        {"BytesPerSample", &zem_stream_facts::bytes_per_sample},
        {"Channels", &zem_stream_facts::channels},
        {"BlockAlign", &zem_stream_facts::block_align},
        {"BlocksPerFrame", &zem_stream_facts::blocks_per_frame},
        {"FinalFrameBlocks", &zem_stream_facts::final_frame_blocks},
        {"TotalFrames", &zem_stream_facts::total_frames},
        {"WavHeaderBytes", &zem_stream_facts::wav_header_bytes},
        {"WavTrailerBytes", &zem_stream_facts::wav_trailer_bytes},
        {"WavDataBytes", &zem_stream_facts::wav_data_bytes},
        {"WavTotalBytes", &zem_stream_facts::wav_total_bytes},
        {"FileBytes", &zem_stream_facts::file_bytes},
        {"TotalBlocks", &zem_stream_facts::total_blocks},
        {"LengthMs", &zem_stream_facts::length_ms},
        {"AverageBitrate", &zem_stream_facts::average_bitrate},
        {"DecompressedBitrate", &zem_stream_facts::decompressed_bitrate},
        {"PeakLevel", &zem_stream_facts::peak_level},
        {"DecoderTotalBlocks", &zem_stream_facts::range_blocks},
        {"DecoderLengthMs", &zem_stream_facts::range_length_ms},
        {"DecoderAverageBitrate", &zem_stream_facts::range_average_bitrate},
    };
    return kFacts;
}

int BuildStreamReport(const std::string& file, StreamReport& report, std::string& reason, bool allowRemotePaths) {
    int zemError = ZEM_OK;
    const std::unique_ptr<zem_decoder, DecoderCloser> decoder(
        zem_open_ex(file.c_str(), allowRemotePaths ? ZEM_OPEN_ALLOW_REMOTE_PATHS : 0u, &zemError, nullptr, 0));
    if (!decoder) {
        const int code = zemError != ZEM_OK ? OpenErrorOf(zemError) : CODEC_FAILED;
        reason = ExplainOpenFailure(file, code);
        return code;
    }
    report = StreamReport{};
    report.file = file;
    zem_get_facts(decoder.get(), &report.facts);
    if (IsLinkPath(file)) {
        report.isLink = true;
        report.link = ClampedRange(file, report.facts.total_blocks);
    }
    report.cut = FindStreamCut(decoder.get());
    return CODEC_OK;
}

}  // namespace zemtool
