// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/report_output.h"

#include "tools/zemtool/json_writer.h"

#include <cstdio>
#include <string>

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
                  std::to_string(report.facts.range_blocks) + " blocks)");
    PrintLine(out, "Track length", FormatLength(report.facts.range_length_ms));
    PrintLine(out, "Track bitrate", WithUnit(report.facts.range_average_bitrate, "kbit/s"));
}

void PrintFormatLines(const StreamReport& report, std::ostream& out) {
    PrintLine(out, "Version", std::to_string(report.facts.version));
    PrintLine(out, "Compression level", std::to_string(report.facts.compression_level));
    PrintLine(out, "Format flags", FormatFlagsText(report.facts.format_flags));
    PrintLine(out, "Sample rate", WithUnit(report.facts.sample_rate, "Hz"));
    PrintLine(out, "Channels", std::to_string(report.facts.channels));
    PrintLine(out, "Bits per sample", std::to_string(report.facts.bits_per_sample));
    PrintLine(out, "Block align", WithUnit(report.facts.block_align, "bytes"));
}

void PrintLayoutLines(const StreamReport& report, std::ostream& out) {
    PrintLine(out, "Blocks per frame", std::to_string(report.facts.blocks_per_frame));
    PrintLine(out, "Final frame blocks", std::to_string(report.facts.final_frame_blocks));
    PrintLine(out, "Total frames", std::to_string(report.facts.total_frames));
    PrintLine(out, "Total blocks", std::to_string(report.facts.total_blocks));
    PrintLine(out, "Length", FormatLength(report.facts.length_ms));
    PrintLine(out, "Average bitrate", WithUnit(report.facts.average_bitrate, "kbit/s"));
    PrintLine(out, "Decompressed bitrate", WithUnit(report.facts.decompressed_bitrate, "kbit/s"));
    PrintLine(out, "File size", WithUnit(report.facts.file_bytes, "bytes"));
    PrintLine(out, "Wave header", WithUnit(report.facts.wav_header_bytes, "bytes"));
    PrintLine(out, "Wave data", WithUnit(report.facts.wav_data_bytes, "bytes"));
    const std::string missing = DescribeMissingTrailer(report.cut);
    PrintLine(out, "Wave trailer",
              WithUnit(report.facts.wav_trailer_bytes, "bytes") + (missing.empty() ? "" : " (" + missing + ")"));
}

}  // namespace

void PrintReportText(const StreamReport& report, std::ostream& out) {
    PrintLine(out, "File", report.file);
    PrintLine(out, "Format", report.isLink ? "image link file (.zlk) to a ZEM stream" : "ZEM stream");
    if (report.isLink)
        PrintLinkLines(report, out);
    PrintFormatLines(report, out);
    PrintLayoutLines(report, out);
    if (report.facts.total_frames == 0)
        PrintLine(out, "Audio", "none: the stream holds no frames");
    else if (report.cut.cut)
        PrintLine(out, "Audio", DescribeCut(report.cut));
}

void PrintReportJson(const StreamReport& report, std::ostream& out) {
    JsonObjectWriter json(out);
    json.AddString("File", report.file);
    for (const NamedFact& fact : ReportedFacts())
        json.AddInteger(fact.name, report.facts.*fact.field);
    if (report.isLink) {
        json.AddString("ImagePath", report.link.imagePath);
        json.AddInteger("StartBlock", report.link.startBlock);
        json.AddInteger("FinishBlock", report.link.finishBlock);
    }
}

}  // namespace zemtool
