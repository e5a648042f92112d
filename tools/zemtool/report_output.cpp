// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/report_output.h"

#include "container/info_id.h"
#include "tools/zemtool/json_writer.h"

#include <cstdio>
#include <string>

using namespace zem;

namespace zemtool {
namespace {

constexpr int kLabelWidth = 22;

void PrintLine(std::ostream& out, const char* label, const std::string& value) {
    std::string padded = std::string(label) + ":";
    padded.resize(kLabelWidth, ' ');
    out << padded << value << "\n";
}

std::string WithUnit(int64_t value, const char* unit) { return std::to_string(value) + " " + unit; }

// "m:ss.mmm" followed by the milliseconds, so both a person and a script can use it.
std::string FormatLength(int64_t ms) {
    if (ms < 0)
        return std::to_string(ms) + " ms";
    char text[64];
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld (%lld ms)", static_cast<long long>(ms / 60000),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000),
                  static_cast<long long>(ms));
    return text;
}

std::string FormatFlagsText(int64_t flags) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%04llx", static_cast<unsigned long long>(flags) & 0xFFFFu);
    return text;
}

void PrintLinkLines(const StreamReport& report, std::ostream& out) {
    const LinkRange& link = report.link;
    PrintLine(out, "Image", link.imagePath);
    PrintLine(out, "Track blocks",
              std::to_string(link.startBlock) + " to " + std::to_string(link.finishBlock) + " (" +
                  std::to_string(report.Answer(DecoderTotalBlocks)) + " blocks)");
    PrintLine(out, "Track length", FormatLength(report.Answer(DecoderLengthMs)));
    PrintLine(out, "Track bitrate", WithUnit(report.Answer(DecoderAverageBitrate), "kbit/s"));
}

void PrintFormatLines(const StreamReport& report, std::ostream& out) {
    PrintLine(out, "Version", std::to_string(report.Answer(Version)));
    PrintLine(out, "Compression level", std::to_string(report.Answer(CompressionLevel)));
    PrintLine(out, "Format flags", FormatFlagsText(report.Answer(FormatFlags)));
    PrintLine(out, "Sample rate", WithUnit(report.Answer(SampleRate), "Hz"));
    PrintLine(out, "Channels", std::to_string(report.Answer(Channels)));
    PrintLine(out, "Bits per sample", std::to_string(report.Answer(BitsPerSample)));
    PrintLine(out, "Block align", WithUnit(report.Answer(BlockAlign), "bytes"));
}

void PrintLayoutLines(const StreamReport& report, std::ostream& out) {
    PrintLine(out, "Blocks per frame", std::to_string(report.Answer(BlocksPerFrame)));
    PrintLine(out, "Final frame blocks", std::to_string(report.Answer(FinalFrameBlocks)));
    PrintLine(out, "Total frames", std::to_string(report.Answer(TotalFrames)));
    PrintLine(out, "Total blocks", std::to_string(report.Answer(TotalBlocks)));
    PrintLine(out, "Length", FormatLength(report.Answer(LengthMs)));
    PrintLine(out, "Average bitrate", WithUnit(report.Answer(AverageBitrate), "kbit/s"));
    PrintLine(out, "Decompressed bitrate", WithUnit(report.Answer(DecompressedBitrate), "kbit/s"));
    PrintLine(out, "File size", WithUnit(report.Answer(FileBytes), "bytes"));
    PrintLine(out, "Wave header", WithUnit(report.Answer(WavHeaderBytes), "bytes"));
    PrintLine(out, "Wave data", WithUnit(report.Answer(WavDataBytes), "bytes"));
    const std::string missing = DescribeMissingTrailer(report.cut);
    PrintLine(out, "Wave trailer",
              WithUnit(report.Answer(WavTrailerBytes), "bytes") + (missing.empty() ? "" : " (" + missing + ")"));
}

}  // namespace

void PrintReportText(const StreamReport& report, std::ostream& out) {
    PrintLine(out, "File", report.file);
    PrintLine(out, "Format", report.isLink ? "image link file (.zlk) to a ZEM stream" : "ZEM stream");
    if (report.isLink)
        PrintLinkLines(report, out);
    PrintFormatLines(report, out);
    PrintLayoutLines(report, out);
    if (report.Answer(TotalFrames) == 0)
        PrintLine(out, "Audio", "none: the stream holds no frames");
    else if (report.cut.cut)
        PrintLine(out, "Audio", DescribeCut(report.cut));
}

void PrintReportJson(const StreamReport& report, std::ostream& out) {
    JsonObjectWriter json(out);
    json.AddString("File", report.file);
    for (const QueryAnswer& answer : report.answers)
        json.AddInteger(answer.name, answer.value);
    if (report.isLink) {
        json.AddString("ImagePath", report.link.imagePath);
        json.AddInteger("StartBlock", report.link.startBlock);
        json.AddInteger("FinishBlock", report.link.finishBlock);
    }
}

}  // namespace zemtool
