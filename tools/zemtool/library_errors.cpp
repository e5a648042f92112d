// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/library_errors.h"

#include "tools/zemtool/tool_errors.h"

#include <zem/zem.h>

namespace zemtool {
namespace {

int CommonErrorOf(int zemError) {
    switch (zemError) {
    case ZEM_OK: return CODEC_OK;
    case ZEM_ERROR_INVALID_ARGUMENT: return CODEC_BAD_ARGUMENT;
    case ZEM_ERROR_NO_MEMORY: return CODEC_NO_MEMORY;
    case ZEM_ERROR_CANNOT_OPEN:
    case ZEM_ERROR_BAD_INPUT: return CODEC_BAD_INPUT;
    case ZEM_ERROR_READ_FAILED: return CODEC_READ_FAILED;
    case ZEM_ERROR_WRITE_FAILED: return CODEC_WRITE_FAILED;
    case ZEM_ERROR_BAD_FRAME:
    case ZEM_ERROR_BAD_MD5: return CODEC_BAD_CHECKSUM;
    case ZEM_ERROR_TRUNCATED: return CODEC_TRUNCATED;
    case ZEM_ERROR_PATH_REFUSED: return CODEC_PATH_REFUSED;
    }
    return CODEC_FAILED;
}

}  // namespace

int OpenErrorOf(int zemError) { return zemError == ZEM_ERROR_UNSUPPORTED ? CODEC_FAILED : CommonErrorOf(zemError); }

int ReadErrorOf(int zemError) { return zemError == ZEM_ERROR_UNSUPPORTED ? CODEC_BAD_INPUT : CommonErrorOf(zemError); }

}  // namespace zemtool
