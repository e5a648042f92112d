// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/decode_input.h"

#include "tools/zemtool/library_errors.h"
#include "tools/zemtool/open_failure.h"
#include "tools/zemtool/stream_check.h"
#include "tools/zemtool/tool_errors.h"

#include <iterator>
#include <vector>

namespace zemtool {
namespace {

using SharedBytes = std::shared_ptr<const std::vector<uint8_t>>;

// Every worker decodes the one copy of standard input.
DecoderOpener OpenStandardInput(const SharedBytes& shared) {
    return [shared](int* error) {
        static const uint8_t kNothing = 0;
        OpenedDecoder opened;
        opened.source = shared;
        int zemError = ZEM_OK;
        opened.decoder.reset(zem_open_memory(shared->empty() ? &kNothing : shared->data(), shared->size(), &zemError));
        *error = OpenErrorOf(zemError);
        return opened;
    };
}

DecoderOpener OpenPath(const std::string& path, unsigned flags) {
    return [path, flags](int* error) {
        OpenedDecoder opened;
        int zemError = ZEM_OK;
        opened.decoder.reset(zem_open_ex(path.c_str(), flags, &zemError, nullptr, 0));
        *error = OpenErrorOf(zemError);
        return opened;
    };
}

}  // namespace

int PrepareDecodeInput(const std::string& path, std::istream& in, DecodeInput* input, std::string* reason,
                       bool allowRemotePaths) {
    SharedBytes standardInput;
    if (path == "-")
        standardInput = std::make_shared<const std::vector<uint8_t>>(std::istreambuf_iterator<char>(in),
                                                                     std::istreambuf_iterator<char>());
    input->open = path == "-" ? OpenStandardInput(standardInput)
                              : OpenPath(path, allowRemotePaths ? ZEM_OPEN_ALLOW_REMOTE_PATHS : 0u);
    int error = 0;
    OpenedDecoder probe = input->open(&error);
    if (!probe.decoder) {
        error = error ? error : CODEC_BAD_INPUT;
        if (path == "-") {
            *reason = "standard input holds no ZEM stream";
            const std::string problem = HeaderProblemOfBytes(*standardInput);
            if (!problem.empty())
                *reason += ": " + problem;
        } else {
            *reason = ExplainOpenFailure(path, error);
        }
        return error;
    }
    input->cut = FindStreamCut(probe.decoder.get());
    return CODEC_OK;
}

}  // namespace zemtool
