#include "tools/zemtool/decode_command.h"

#include "tessarine/codec/codec_error.h"
#include "tessarine/codec/info_id.h"
#include "tessarine/codec/win32_file.h"
#include "tools/zemtool/decode_input.h"
#include "tools/zemtool/decode_options.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/terminal.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <functional>

namespace zemtool {
namespace {

using Sink = std::function<bool(const uint8_t*, size_t)>;

// The wave header or trailer the decoder gives (query for the size, then the bytes).
std::vector<uint8_t> WavePart(CDecoder& decoder, int sizeQuery, int dataQuery) {
    int64_t size = decoder.GetInfo(sizeQuery);
    std::vector<uint8_t> bytes(static_cast<size_t>(std::clamp<int64_t>(size, 0, 1 << 26)));
    if (!bytes.empty() &&
        decoder.GetInfo(dataQuery, reinterpret_cast<intptr_t>(bytes.data()), static_cast<intptr_t>(bytes.size())) != 0)
        bytes.clear();
    return bytes;
}

// Reports every failed frame; returns the exit status of the whole run.
int ReportOutcome(const DecodeOutcome& outcome, const std::string& file, std::ostream& err) {
    for (int32_t frame : outcome.badFrames)
        ReportFailure(err, CODEC_BAD_CHECKSUM,
                      file + ": frame " + std::to_string(frame) + " failed its check; its blocks are fill");
    if (outcome.error)
        return ReportFailure(err, outcome.error, file + ": " + outcome.reason);
    return outcome.badFrames.empty() ? ZEMTOOL_OK : ZEMTOOL_FAILED;
}

DecodeOutcome DecodeTo(const DecodeInput& input, const CodecOptions& options, const Sink& sink, std::ostream& err,
                       const std::string& label) {
    ProgressBar bar(err, !options.quiet && StandardErrorIsTerminal(), label);
    DecodeJob job;
    job.open = input.open;
    job.rangeStart = input.rangeStart;
    job.threads = WorkerCount(options.threads);
    job.sink = sink;
    job.progress = [&](int64_t done, int64_t total) { bar.Update(done, total); };
    DecodeOutcome outcome = DecodeRange(job);
    bar.Finish();
    return outcome;
}

int DecodeOne(const CodecOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
    const std::string& source = options.files[0];
    const std::string& target = options.files[1];
    DecodeInput input;
    std::string reason;
    if (int error = PrepareDecodeInput(source, in, &input, &reason))
        return ReportFailure(err, error, reason);
    int error = 0;
    OpenedDecoder probe = input.open(&error);
    std::vector<uint8_t> header = WavePart(*probe.decoder, WavHeaderBytes, WavHeaderData);
    std::vector<uint8_t> trailer = WavePart(*probe.decoder, WavTrailerBytes, WavTrailerData);
    CWin32File file;
    Sink sink;
    if (target == "-") {
        sink = [&out](const uint8_t* bytes, size_t count) {
            out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
            return bool(out);
        };
    } else {
        WString wide = LibraryPath(target);
        if (file.Create(wide.c_str()) != 0)
            return ReportFailure(err, CODEC_WRITE_FAILED, "'" + target + "' cannot be created");
        sink = [&file](const uint8_t* bytes, size_t count) {
            int32_t written = 0;
            return file.Write(bytes, static_cast<int32_t>(count), &written) == 0 && size_t(written) == count;
        };
    }
    if (!sink(header.data(), header.size()))
        return ReportFailure(err, CODEC_WRITE_FAILED, "the output cannot be written");
    DecodeOutcome outcome = DecodeTo(input, options, sink, err, "decoding");
    if (!outcome.error && !sink(trailer.data(), trailer.size()))
        return ReportFailure(err, CODEC_WRITE_FAILED, "the output cannot be written");
    out.flush();
    return ReportOutcome(outcome, source, err);
}

}  // namespace

int RunDecodeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    CodecOptions options;
    std::string problem = ParseCodecOptions(args, false, options);
    if (options.help) {
        out << kDecodeUsage;
        return ZEMTOOL_OK;
    }
    if (problem.empty() && options.files.size() != 2)
        problem = "decode takes an input and an output";
    if (!problem.empty())
        return ReportUsageError(err, "decode", problem);
    return DecodeOne(options, in, out, err);
}

int RunVerifyCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    CodecOptions options;
    std::string problem = ParseCodecOptions(args, false, options);
    if (options.help) {
        out << kVerifyUsage;
        return ZEMTOOL_OK;
    }
    if (problem.empty() && options.files.empty())
        problem = "no file given";
    if (!problem.empty())
        return ReportUsageError(err, "verify", problem);
    int status = ZEMTOOL_OK;
    for (const std::string& file : options.files) {
        DecodeInput input;
        std::string reason;
        int result = PrepareDecodeInput(file, in, &input, &reason);
        if (result == CODEC_OK) {
            DecodeOutcome outcome = DecodeTo(input, options, nullptr, err, "verifying");
            result = ReportOutcome(outcome, file, err);
            if (result == ZEMTOOL_OK)
                out << file << ": ok, " << outcome.blocks << " blocks\n";
        } else {
            result = ReportFailure(err, result, reason);
        }
        if (result != ZEMTOOL_OK)
            status = ZEMTOOL_FAILED;
    }
    return status;
}

}  // namespace zemtool
