// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/decode_input.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "decode/decoder_factory.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/open_failure.h"
#include "tools/zemtool/shared_bytes.h"
#include "tools/zemtool/stream_check.h"

#include <algorithm>
#include <iterator>

using namespace zem;

namespace zemtool {
namespace {

using SharedBytes = std::shared_ptr<const std::vector<uint8_t>>;

DecoderOpener OpenStandardInput(const SharedBytes& shared) {
    return [shared](int* error) {
        OpenedDecoder opened;
        opened.io = std::make_unique<CSharedBytesStream>(shared);
        opened.decoder = OpenDecoderFromIo(opened.io.get(), error);
        return opened;
    };
}

DecoderOpener OpenPath(const WString& path, const OpenOptions& options) {
    return [path, options](int* error) {
        OpenedDecoder opened;
        opened.decoder = OpenDecoder(path.c_str(), error, options);
        return opened;
    };
}

}  // namespace

int PrepareDecodeInput(const std::string& path, std::istream& in, DecodeInput* input, std::string* reason,
                       const OpenOptions& options) {
    WString wide = LibraryPath(path);
    SharedBytes standardInput;
    if (path == "-")
        standardInput = std::make_shared<const std::vector<uint8_t>>(std::istreambuf_iterator<char>(in),
                                                                     std::istreambuf_iterator<char>());
    input->open = path == "-" ? OpenStandardInput(standardInput) : OpenPath(wide, options);
    int error = 0;
    OpenedDecoder probe = input->open(&error);
    if (!probe.decoder) {
        error = error ? error : CODEC_BAD_INPUT;
        if (path == "-") {
            *reason = "standard input holds no ZEM stream";
            CSharedBytesStream io(standardInput);
            const std::string problem = HeaderProblem(&io);
            if (!problem.empty())
                *reason += ": " + problem;
        } else {
            *reason = ExplainOpenFailure(path, error);
        }
        return error;
    }
    const bool link = IsLinkPath(path);
    input->rangeStart = probe.decoder->GetInfo(DecoderRangeStart);
    input->wholeStream = !link;
    input->cut = FindStreamCut(*probe.decoder);
    return CODEC_OK;
}

}  // namespace zemtool
