// SPDX-License-Identifier: BSD-3-Clause
#include "container/codec_error.h"

namespace zem {

const char* CodecErrorName(int code) {
    switch (code) {
    case CODEC_OK: return "CODEC_OK";
    case CODEC_FAILED: return "CODEC_FAILED";
    case CODEC_INVALID_PARAMETER: return "CODEC_INVALID_PARAMETER";
    case CODEC_READ_FAILED: return "CODEC_READ_FAILED";
    case CODEC_WRITE_FAILED: return "CODEC_WRITE_FAILED";
    case CODEC_BAD_INPUT: return "CODEC_BAD_INPUT";
    case CODEC_BAD_CHECKSUM: return "CODEC_BAD_CHECKSUM";
    case CODEC_TRUNCATED: return "CODEC_TRUNCATED";
    case CODEC_PATH_REFUSED: return "CODEC_PATH_REFUSED";
    case CODEC_NO_MEMORY: return "CODEC_NO_MEMORY";
    case CODEC_BAD_ARGUMENT: return "CODEC_BAD_ARGUMENT";
    }
    return "CODEC_UNKNOWN";
}

}  // namespace zem
