// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/decode_command.h"

#include "tools/zemtool/decode_input.h"
#include "tools/zemtool/decode_options.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/output_file.h"
#include "tools/zemtool/output_target.h"
#include "tools/zemtool/std_streams.h"
#include "tools/zemtool/stream_check.h"
#include "tools/zemtool/terminal.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <functional>
#include <memory>

namespace zemtool {
namespace {

using Sink = std::function<bool(const uint8_t*, size_t)>;
using Tap = std::function<void(const uint8_t*, size_t)>;

// The digest check as a tap of the decoding job: it hashes on a thread of its
// own, beside the decoding and writing; none when the check is not made.
Tap DigestTap(DigestCheck& digest) {
    if (!digest.Active())
        return nullptr;
    return [&digest](const uint8_t* bytes, size_t count) { digest.Add(bytes, count); };
}

// Reports every failed frame, and the frames missing from a file cut short
// at once, or, when all frames pass their checks, a wave file that does not
// match the stream's digest; returns the exit status of the whole run.
int ReportOutcome(const DecodeOutcome& outcome, const DecodeInput& input, DigestCheck& digest,
                  const std::string& file, std::ostream& err) {
    for (int32_t frame : outcome.badFrames) {
        if (input.cut.cut && frame >= input.cut.frame) {
            ReportFailure(err, CODEC_BAD_INPUT,
                          file + ": " + DescribeCut(input.cut) + "; frames from " + std::to_string(frame) +
                              " on are fill");
            break;
        }
        ReportFailure(err, CODEC_BAD_CHECKSUM,
                      file + ": frame " + std::to_string(frame) + " failed its check; its blocks are fill");
    }
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
    if (!probe.decoder || !ReadWaveEnds(probe.decoder.get(), ends, &reason)) {
        ReportFailure(err, probe.decoder ? CODEC_BAD_INPUT : (error ? error : CODEC_BAD_INPUT), file + ": " + reason);
        return false;
    }
    *digest = std::make_unique<DigestCheck>(probe.decoder.get());
    return true;
}

DecodeOutcome DecodeTo(const DecodeInput& input, const CodecOptions& options, const Sink& sink, const Tap& tap,
                       std::ostream& err, const std::string& label) {
    ProgressBar bar(err, !options.quiet && StandardErrorIsTerminal(), label);
    DecodeJob job;
    job.open = input.open;
    job.threads = WorkerCount(options.threads);
    job.sink = sink;
    job.tap = tap;
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
    if (int error = PrepareDecodeInput(source, in, &input, &reason, options.allowRemotePaths))
        return ReportFailure(err, error, reason);
    std::string refusal = RefuseInputAsOutput(source, target);
    if (!refusal.empty())
        return ReportFailure(err, CODEC_BAD_ARGUMENT, refusal);
    WaveEnds ends;
    std::unique_ptr<DigestCheck> digest;
    if (!ReadEnds(input, source, &ends, &digest, err))
        return ZEMTOOL_FAILED;
    // A file appears under its name only once it is complete; standard output streams.
    OutputFile file;
    std::string writeFailure;
    Sink write;
    if (target == "-") {
        write = [&out, &writeFailure](const uint8_t* bytes, size_t count) {
            out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
            if (!out)
                writeFailure = StandardOutputFailure();
            return bool(out);
        };
    } else {
        if (!file.Begin(target, &writeFailure))
            return ReportFailure(err, CODEC_WRITE_FAILED, writeFailure);
        write = [&file, &writeFailure](const uint8_t* bytes, size_t count) {
            if (!file.WriteAll(bytes, count))
                writeFailure = file.Failure();
            return writeFailure.empty();
        };
    }
    if (!write(ends.header.data(), ends.header.size()))
        return ReportFailure(err, CODEC_WRITE_FAILED, writeFailure);
    DecodeOutcome outcome = DecodeTo(input, options, write, DigestTap(*digest), err, "decoding");
    if (!outcome.error && !write(ends.trailer.data(), ends.trailer.size()))
        outcome.error = CODEC_WRITE_FAILED;
    if (outcome.error == CODEC_WRITE_FAILED && !writeFailure.empty())
        return ReportFailure(err, CODEC_WRITE_FAILED, writeFailure);
    out.flush();
    const int status = ReportOutcome(outcome, input, *digest, source, err);
    if (!outcome.error && target != "-" && !file.Commit(&writeFailure))
        return ReportFailure(err, CODEC_WRITE_FAILED, writeFailure);
    return status;
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
        int result = PrepareDecodeInput(file, in, &input, &reason, options.allowRemotePaths);
        WaveEnds ends;
        std::unique_ptr<DigestCheck> digest;
        if (result == CODEC_OK && !ReadEnds(input, file, &ends, &digest, err)) {
            result = ZEMTOOL_FAILED;
        } else if (result == CODEC_OK) {
            DecodeOutcome outcome = DecodeTo(input, options, nullptr, DigestTap(*digest), err, "verifying");
            result = ReportOutcome(outcome, input, *digest, file, err);
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
