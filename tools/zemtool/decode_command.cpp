#include "tools/zemtool/decode_command.h"

#include "tessarine/codec/codec_error.h"
#include "tessarine/codec/info_id.h"
#include "tessarine/codec/win32_file.h"
#include "tools/zemtool/decode_input.h"
#include "tools/zemtool/decode_options.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/stream_check.h"
#include "tools/zemtool/terminal.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <functional>
#include <memory>

namespace zemtool {
namespace {

using Sink = std::function<bool(const uint8_t*, size_t)>;

// Reports every failed frame, or, when all frames pass their checks, a wave
// file that does not match the stream's digest; returns the exit status of
// the whole run.
int ReportOutcome(const DecodeOutcome& outcome, DigestCheck& digest, const std::string& file, std::ostream& err) {
    for (int32_t frame : outcome.badFrames)
        ReportFailure(err, CODEC_BAD_CHECKSUM,
                      file + ": frame " + std::to_string(frame) + " failed its check; its blocks are fill");
    if (outcome.error)
        return ReportFailure(err, outcome.error, file + ": " + outcome.reason);
    if (outcome.badFrames.empty() && !digest.Matches())
        return ReportFailure(err, CODEC_BAD_CHECKSUM,
                             file + ": the decoded wave file does not match the MD5 digest the stream stores");
    return outcome.badFrames.empty() ? ZEMTOOL_OK : ZEMTOOL_FAILED;
}

// Fills `ends` from a first decoder on the input and sets up the digest check.
bool ReadEnds(const DecodeInput& input, const std::string& file, WaveEnds* ends, std::unique_ptr<DigestCheck>* digest,
              std::ostream& err) {
    int error = 0;
    OpenedDecoder probe = input.open(&error);
    std::string reason = "the stream cannot be opened";
    if (!probe.decoder || !ReadWaveEnds(*probe.decoder, ends, &reason)) {
        ReportFailure(err, probe.decoder ? CODEC_BAD_INPUT : (error ? error : CODEC_BAD_INPUT), file + ": " + reason);
        return false;
    }
    *digest = std::make_unique<DigestCheck>(*probe.decoder, input.wholeStream);
    return true;
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
    WaveEnds ends;
    std::unique_ptr<DigestCheck> digest;
    if (!ReadEnds(input, source, &ends, &digest, err))
        return ZEMTOOL_FAILED;
    CWin32File file;
    Sink write;
    if (target == "-") {
        write = [&out](const uint8_t* bytes, size_t count) {
            out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
            return bool(out);
        };
    } else {
        WString wide = LibraryPath(target);
        if (file.Create(wide.c_str()) != 0)
            return ReportFailure(err, CODEC_WRITE_FAILED, "'" + target + "' cannot be created");
        write = [&file](const uint8_t* bytes, size_t count) {
            int32_t written = 0;
            return file.Write(bytes, static_cast<int32_t>(count), &written) == 0 && size_t(written) == count;
        };
    }
    Sink sink = [&](const uint8_t* bytes, size_t count) {
        digest->Add(bytes, count);
        return write(bytes, count);
    };
    if (!sink(ends.header.data(), ends.header.size()))
        return ReportFailure(err, CODEC_WRITE_FAILED, "the output cannot be written");
    DecodeOutcome outcome = DecodeTo(input, options, sink, err, "decoding");
    if (!outcome.error && !sink(ends.trailer.data(), ends.trailer.size()))
        return ReportFailure(err, CODEC_WRITE_FAILED, "the output cannot be written");
    out.flush();
    return ReportOutcome(outcome, *digest, source, err);
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
        WaveEnds ends;
        std::unique_ptr<DigestCheck> digest;
        if (result == CODEC_OK && !ReadEnds(input, file, &ends, &digest, err)) {
            result = ZEMTOOL_FAILED;
        } else if (result == CODEC_OK) {
            digest->Add(ends.header.data(), ends.header.size());
            Sink hash = [&digest](const uint8_t* bytes, size_t count) {
                digest->Add(bytes, count);
                return true;
            };
            DecodeOutcome outcome = DecodeTo(input, options, digest->Active() ? hash : nullptr, err, "verifying");
            digest->Add(ends.trailer.data(), ends.trailer.size());
            result = ReportOutcome(outcome, *digest, file, err);
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
