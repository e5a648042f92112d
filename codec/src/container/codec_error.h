// SPDX-License-Identifier: BSD-3-Clause
// Result codes of the codec library: 0 for success, never exceptions.
#pragma once

namespace zem {

enum CodecError : int {
    CODEC_OK = 0,
    CODEC_FAILED = -1,
    CODEC_INVALID_PARAMETER = 87,
    CODEC_READ_FAILED = 1000,
    CODEC_WRITE_FAILED = 1001,
    CODEC_BAD_INPUT = 1002,
    CODEC_BAD_CHECKSUM = 1009,
    CODEC_TRUNCATED = 1010,     // the file ends before the frame asked for does
    CODEC_PATH_REFUSED = 1011,  // a link file names a network or device path
    CODEC_NO_MEMORY = 2000,
    CODEC_BAD_ARGUMENT = 5000,
};

// The upper-case name of a result code ("CODEC_BAD_INPUT"), or "CODEC_UNKNOWN".
const char* CodecErrorName(int code);

}  // namespace zem
