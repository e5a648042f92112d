// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/encode_command.h"

#include "container/codec_error.h"
#include "encode/encoder.h"
#include "io/memory_stream.h"
#include "io/win32_file.h"
#include "tools/zemtool/decode_options.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/open_failure.h"
#include "tools/zemtool/output_file.h"
#include "tools/zemtool/output_target.h"
#include "tools/zemtool/std_streams.h"
#include "tools/zemtool/terminal.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/usage_text.h"
#include "tools/zemtool/zemtool.h"

#include <iterator>

namespace zemtool {
namespace {

// The output file as the encoder writes it: front to back, then back to the
// header to fill in what it learns only at the end.
class EncoderOutput : public CStreamIo {
public:
    explicit EncoderOutput(OutputFile& file) : m_file(file) {}

    int Open(const WCHAR*) override { return -1; }
    int Close() override { return 0; }
    int Read(void*, int32_t, int32_t* bytesRead) override {
        if (bytesRead)
            *bytesRead = 0;
        return CODEC_READ_FAILED;
    }
    int Write(const void* buffer, int32_t bytesToWrite, int32_t* bytesWritten) override {
        const bool ok = bytesToWrite >= 0 && m_file.WriteAll(buffer, static_cast<size_t>(bytesToWrite));
        if (bytesWritten)
            *bytesWritten = ok ? bytesToWrite : 0;
        return ok ? CODEC_OK : CODEC_WRITE_FAILED;
    }
    int Seek(int32_t distance, int origin) override {
        const int64_t base = origin == 1 ? m_file.Position() : origin == 2 ? m_file.Size() : 0;
        return m_file.SeekTo(base + distance) ? 0 : -1;
    }
    int Create(const WCHAR*) override { return -1; }
    int Delete() override { return -1; }
    int SetEof() override { return -1; }
    int32_t GetPosition() override { return static_cast<int32_t>(m_file.Position()); }
    int32_t GetSize() override { return static_cast<int32_t>(m_file.Size()); }
    int GetName(WCHAR* buffer) override {
        buffer[0] = 0;
        return 0;
    }

private:
    OutputFile& m_file;
};

// Standard input and output hold the whole stream in memory; a named output
// appears under its name only once it is complete.
int Encode(const CodecOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
    const std::string& source = options.files[0];
    const std::string& target = options.files[1];
    EncodeSettings settings;
    settings.level = options.level;
    settings.blocksPerFrame = options.frameBlocks;
    settings.threads = WorkerCount(options.threads);
    settings.verify = options.verify;
    CMemoryStream standardInput;
    CWin32File file;
    CStreamIo* input = &standardInput;
    if (source == "-") {
        standardInput.Bytes().assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else if (file.OpenForReading(LibraryPath(source).c_str()) == 0) {
        input = &file;
    } else {
        const std::string why = WhyNotReadable(source);
        return ReportFailure(err, CODEC_BAD_INPUT, "cannot open " + Quoted(source) + (why.empty() ? "" : ": " + why));
    }
    const std::string refusal = RefuseInputAsOutput(source, target);
    if (!refusal.empty())
        return ReportFailure(err, CODEC_BAD_ARGUMENT, refusal);
    CMemoryStream memoryOutput;
    OutputFile fileOutput;
    EncoderOutput encoderOutput(fileOutput);
    std::string message;
    if (target != "-" && !fileOutput.Begin(target, &message))
        return ReportFailure(err, CODEC_WRITE_FAILED, message);
    CStreamIo& output = target == "-" ? static_cast<CStreamIo&>(memoryOutput) : encoderOutput;
    ProgressBar bar(err, !options.quiet && StandardErrorIsTerminal(), "encoding");
    EncodeProgress progress = [&](int64_t done, int64_t total) { bar.Update(done, total); };
    std::string reason;
    int result = EncodeStream(*input, output, settings, progress, &reason);
    bar.Finish();
    if (result == CODEC_WRITE_FAILED && !fileOutput.Failure().empty())
        return ReportFailure(err, result, fileOutput.Failure());
    if (result != CODEC_OK)
        return ReportFailure(err, result, Quoted(source) + ": " + reason);
    if (target != "-")
        return fileOutput.Commit(&message) ? ZEMTOOL_OK : ReportFailure(err, CODEC_WRITE_FAILED, message);
    out.write(reinterpret_cast<const char*>(memoryOutput.Bytes().data()), std::streamsize(memoryOutput.Bytes().size()));
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
