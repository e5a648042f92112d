// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/stream_report.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "decode/decoder.h"
#include "decode/decoder_factory.h"
#include "io/path_text.h"
#include "link/link_file.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/open_failure.h"
#include "tools/zemtool/utf_text.h"

#include <algorithm>
#include <memory>

using namespace zem;

namespace zemtool {
namespace {

struct NamedQuery {
    const char* name;
    int id;
};

// Queries that describe the whole file and take no argument. The per-frame
// queries, buffer copies and pointer answers are left out on purpose.
constexpr NamedQuery kReportedQueries[] = {
    {"Version", Version},
    {"CompressionLevel", CompressionLevel},
    {"FormatFlags", FormatFlags},
    {"SampleRate", SampleRate},
    {"BitsPerSample", BitsPerSample},
    {"BytesPerSample", BytesPerSample},
    {"Channels", Channels},
    {"BlockAlign", BlockAlign},
    {"BlocksPerFrame", BlocksPerFrame},
    {"FinalFrameBlocks", FinalFrameBlocks},
    {"TotalFrames", TotalFrames},
    {"WavHeaderBytes", WavHeaderBytes},
    {"WavTrailerBytes", WavTrailerBytes},
    {"WavDataBytes", WavDataBytes},
    {"WavTotalBytes", WavTotalBytes},
    {"FileBytes", FileBytes},
    {"TotalBlocks", TotalBlocks},
    {"LengthMs", LengthMs},
    {"AverageBitrate", AverageBitrate},
    {"DecompressedBitrate", DecompressedBitrate},
    {"PeakLevel", PeakLevel},
    {"DecoderTotalBlocks", DecoderTotalBlocks},
    {"DecoderLengthMs", DecoderLengthMs},
    {"DecoderAverageBitrate", DecoderAverageBitrate},
};

// The decoder's own clamping of a link's range to the image (a negative start
// is the beginning, a negative finish the end).
LinkRange ClampedRange(const CLinkFile& link, int64_t totalBlocks) {
    LinkRange range;
    range.imagePath = Utf8PathFromWide(WString(link.GetImagePath()));
    const int64_t start = link.GetStartBlock();
    const int64_t finish = link.GetFinishBlock();
    range.startBlock = start < 0 ? 0 : std::min(start, totalBlocks);
    range.finishBlock = finish < 0 ? totalBlocks : std::min(finish, totalBlocks);
    return range;
}

}  // namespace

int64_t StreamReport::Answer(int id) const {
    auto found = std::find_if(answers.begin(), answers.end(),
                              [id](const QueryAnswer& answer) { return answer.id == id; });
    return found == answers.end() ? -1 : found->value;
}

int BuildStreamReport(const std::string& file, StreamReport& report, std::string& reason,
                      const OpenOptions& options) {
    int error = CODEC_OK;
    const WString wide = LibraryPath(file);
    std::unique_ptr<CDecoder> decoder = OpenDecoder(wide.c_str(), &error, options);
    if (!decoder) {
        const int code = error != CODEC_OK ? error : CODEC_FAILED;
        reason = ExplainOpenFailure(file, code);
        return code;
    }
    report = StreamReport{};
    report.file = file;
    for (const NamedQuery& query : kReportedQueries)
        report.answers.push_back({query.name, query.id, decoder->GetInfo(query.id)});
    if (IsLinkPath(file)) {
        CLinkFile link;
        link.ReadLinkFile(wide.c_str());
        report.isLink = true;
        report.link = ClampedRange(link, report.Answer(TotalBlocks));
    }
    report.cut = FindStreamCut(*decoder);
    return CODEC_OK;
}

}  // namespace zemtool
