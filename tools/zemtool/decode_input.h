// SPDX-License-Identifier: BSD-3-Clause
// The input of `decode` and `verify`: a stream, a link file or standard
// input, opened once per worker.
#pragma once

#include "tools/zemtool/parallel_decode.h"
#include "tools/zemtool/stream_cut.h"

#include <istream>
#include <string>

namespace zemtool {

struct DecodeInput {
    DecoderOpener open;
    StreamCut cut;  // where the file ends short of its frames, if it does
};

// For `path` ("-" reads all of `in` first; link files may name network paths
// with `allowRemotePaths`). Returns a code of tool_errors.h and a reason.
int PrepareDecodeInput(const std::string& path, std::istream& in, DecodeInput* input, std::string* reason,
                       bool allowRemotePaths = false);

}  // namespace zemtool
