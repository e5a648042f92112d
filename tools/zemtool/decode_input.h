// SPDX-License-Identifier: BSD-3-Clause
// The input of `decode` and `verify`: a stream, a link file or standard
// input, opened once per worker.
#pragma once

#include "decode/decoder_factory.h"
#include "tools/zemtool/parallel_decode.h"
#include "tools/zemtool/stream_cut.h"

#include <istream>
#include <string>

namespace zemtool {

// Until these files read through <zem/zem.h>, they name the codec's classes.
using namespace zem;

struct DecodeInput {
    DecoderOpener open;
    int64_t rangeStart = 0;
    bool wholeStream = true;  // false for a link file's range
    StreamCut cut;            // where the file ends short of its frames, if it does
};

// For `path` ("-" reads all of `in` first). Returns a CodecError and a reason.
int PrepareDecodeInput(const std::string& path, std::istream& in, DecodeInput* input, std::string* reason,
                       const OpenOptions& options = OpenOptions());

}  // namespace zemtool
