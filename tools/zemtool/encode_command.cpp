// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/encode_command.h"

#include "tools/zemtool/convert/utf8_file.h"
#include "tools/zemtool/decode_options.h"
#include "tools/zemtool/open_failure.h"
#include "tools/zemtool/output_file.h"
#include "tools/zemtool/output_target.h"
#include "tools/zemtool/std_streams.h"
#include "tools/zemtool/terminal.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <zem/zem.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

namespace zemtool {
namespace {

// The wave file: standard input as read whole, or the named file, read where
// the encoder asks.
struct WaveInput {
    std::vector<char> bytes;
    size_t position = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{nullptr, &std::fclose};
};

long ReadWave(void* user, void* buffer, long count) {
    auto& in = *static_cast<WaveInput*>(user);
    if (in.file) {
        const size_t got = std::fread(buffer, 1, static_cast<size_t>(count), in.file.get());
        return got == 0 && std::ferror(in.file.get()) ? -1 : static_cast<long>(got);
    }
    const size_t got = std::min(static_cast<size_t>(count), in.bytes.size() - std::min(in.position, in.bytes.size()));
    if (got)
        std::memcpy(buffer, in.bytes.data() + in.position, got);
    in.position += got;
    return static_cast<long>(got);
}

int SeekWave(void* user, int64_t offset) {
    auto& in = *static_cast<WaveInput*>(user);
    if (in.file)
        return offset <= LONG_MAX && std::fseek(in.file.get(), static_cast<long>(offset), SEEK_SET) == 0 ? 0 : -1;
    in.position = static_cast<size_t>(offset);
    return 0;
}

int64_t WaveSize(void* user) {
    auto& in = *static_cast<WaveInput*>(user);
    if (!in.file)
        return static_cast<int64_t>(in.bytes.size());
    const long at = std::ftell(in.file.get());
    if (at < 0 || std::fseek(in.file.get(), 0, SEEK_END) != 0)
        return -1;
    const long size = std::ftell(in.file.get());
    return std::fseek(in.file.get(), at, SEEK_SET) == 0 ? size : -1;
}

// The stream: into the output file, or into memory for standard output.
struct StreamOutput {
    OutputFile* file = nullptr;
    std::vector<char> bytes;
    size_t position = 0;
};

long WriteStream(void* user, const void* data, long count) {
    auto& out = *static_cast<StreamOutput*>(user);
    if (out.file)
        return out.file->WriteAll(data, static_cast<size_t>(count)) ? count : -1;
    const char* from = static_cast<const char*>(data);
    if (out.bytes.size() < out.position + static_cast<size_t>(count))
        out.bytes.resize(out.position + static_cast<size_t>(count));
    std::copy(from, from + count, out.bytes.begin() + static_cast<std::ptrdiff_t>(out.position));
    out.position += static_cast<size_t>(count);
    return count;
}

int SeekStream(void* user, int64_t offset) {
    auto& out = *static_cast<StreamOutput*>(user);
    if (out.file)
        return out.file->SeekTo(offset) ? 0 : -1;
    out.position = static_cast<size_t>(offset);
    return 0;
}

// The library's result as the name zemtool's messages have always shown.
int ToolErrorOf(int error) {
    switch (error) {
    case ZEM_ERROR_INVALID_ARGUMENT: return CODEC_BAD_ARGUMENT;
    case ZEM_ERROR_BAD_INPUT: return CODEC_BAD_INPUT;
    case ZEM_ERROR_READ_FAILED: return CODEC_READ_FAILED;
    case ZEM_ERROR_WRITE_FAILED: return CODEC_WRITE_FAILED;
    case ZEM_ERROR_BAD_FRAME: return CODEC_BAD_CHECKSUM;
    case ZEM_ERROR_NO_MEMORY: return CODEC_NO_MEMORY;
    default: return CODEC_FAILED;
    }
}

void ShowProgress(void* bar, uint64_t done, uint64_t total) {
    static_cast<ProgressBar*>(bar)->Update(static_cast<int64_t>(done), static_cast<int64_t>(total));
}

// Standard input and output hold the whole stream in memory; a named output
// appears under its name only once it is complete.
int Encode(const CodecOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
    const std::string& source = options.files[0];
    const std::string& target = options.files[1];
    WaveInput wave;
    if (source == "-") {
        wave.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        const std::string why = WhyNotReadable(source);
        if (why.empty())
            wave.file.reset(OpenUtf8File(source, "rb"));
        if (!wave.file)
            return ReportFailure(err, CODEC_BAD_INPUT,
                                 "cannot open " + Quoted(source) + (why.empty() ? "" : ": " + why));
    }
    const std::string refusal = RefuseInputAsOutput(source, target);
    if (!refusal.empty())
        return ReportFailure(err, CODEC_BAD_ARGUMENT, refusal);
    OutputFile fileOutput;
    StreamOutput stream;
    std::string message;
    if (target != "-") {
        if (!fileOutput.Begin(target, &message))
            return ReportFailure(err, CODEC_WRITE_FAILED, message);
        stream.file = &fileOutput;
    }
    ProgressBar bar(err, !options.quiet && StandardErrorIsTerminal(), "encoding");
    zem_encode_options encode = {};
    encode.compression_level = static_cast<unsigned>(options.level);
    encode.frame_blocks = static_cast<unsigned>(options.frameBlocks);
    encode.threads = static_cast<unsigned>(WorkerCount(options.threads));
    encode.verify = options.verify;
    encode.progress = &ShowProgress;
    encode.progress_user = &bar;
    const zem_io waveIo = {&ReadWave, &SeekWave, &WaveSize};
    const zem_output streamOutput = {&WriteStream, &SeekStream};
    char reason[512];
    const int result = zem_encode_wav(&waveIo, &wave, &streamOutput, &stream, &encode, reason, sizeof reason);
    bar.Finish();
    if (result == ZEM_ERROR_WRITE_FAILED && !fileOutput.Failure().empty())
        return ReportFailure(err, CODEC_WRITE_FAILED, fileOutput.Failure());
    if (result != ZEM_OK)
        return ReportFailure(err, ToolErrorOf(result), Quoted(source) + ": " + reason);
    if (target != "-")
        return fileOutput.Commit(&message) ? ZEMTOOL_OK : ReportFailure(err, CODEC_WRITE_FAILED, message);
    out.write(stream.bytes.data(), std::streamsize(stream.bytes.size()));
    out.flush();
    return out ? ZEMTOOL_OK : ReportFailure(err, CODEC_WRITE_FAILED, StandardOutputFailure());
}

}  // namespace

int RunEncodeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    CodecOptions options;
    std::string problem = ParseCodecOptions(args, true, options);
    if (options.help) {
        out << kEncodeUsage;
        return ZEMTOOL_OK;
    }
    if (problem.empty() && options.files.size() != 2)
        problem = "encode takes an input and an output";
    if (!problem.empty())
        return ReportUsageError(err, "encode", problem);
    return Encode(options, in, out, err);
}

}  // namespace zemtool
