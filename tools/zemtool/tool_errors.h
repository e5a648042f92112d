// SPDX-License-Identifier: BSD-3-Clause
// The result codes zemtool reports ("zemtool: CODEC_BAD_INPUT: ..."), with the
// names and numbers its messages have always shown, so that scripts reading
// them see no change now that the tool no longer includes the codec. Inside
// namespace zemtool these names stand before the codec's own, which the files
// not yet moved to the C API still include (same numbers).
#pragma once

namespace zemtool {

enum ToolError : int {
    CODEC_OK = 0,
    CODEC_FAILED = -1,
    CODEC_INVALID_PARAMETER = 87,
    CODEC_READ_FAILED = 1000,
    CODEC_WRITE_FAILED = 1001,
    CODEC_BAD_INPUT = 1002,
    CODEC_BAD_CHECKSUM = 1009,
    CODEC_TRUNCATED = 1010,
    CODEC_PATH_REFUSED = 1011,
    CODEC_NO_MEMORY = 2000,
    CODEC_BAD_ARGUMENT = 5000,
};

// The upper-case name of a result code ("CODEC_BAD_INPUT"), or "CODEC_UNKNOWN".
const char* ToolErrorName(int code);

}  // namespace zemtool
