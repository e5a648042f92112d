// Result codes and texts of the C API, and the library's version.
#include "api/decoder_handle.h"

#include "container/codec_error.h"

#ifndef ZEM_VERSION_TEXT
#error "ZEM_VERSION_TEXT must come from the build (the project's version)"
#endif

namespace zem_api {

int FromCodecError(int codecError) {
    switch (codecError) {
    case CODEC_OK:
        return ZEM_OK;
    case CODEC_INVALID_PARAMETER:
    case CODEC_BAD_ARGUMENT:
        return ZEM_ERROR_INVALID_ARGUMENT;
    case CODEC_READ_FAILED:
        return ZEM_ERROR_READ_FAILED;
    case CODEC_BAD_INPUT:
        return ZEM_ERROR_BAD_INPUT;
    case CODEC_BAD_CHECKSUM:
        return ZEM_ERROR_BAD_FRAME;
    case CODEC_NO_MEMORY:
        return ZEM_ERROR_NO_MEMORY;
    default:
        return ZEM_ERROR_FAILED;
    }
}

bool WideFromUtf8(const char* text, WString* wide) {
    wide->clear();
    if (!text || !*text)
        return true;
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (units <= 0)
        return false;
    wide->resize(static_cast<size_t>(units));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide->data(), units) != units)
        return false;
    wide->resize(static_cast<size_t>(units) - 1);  // the terminator
    return true;
}

}  // namespace zem_api

extern "C" const char* zem_error_text(int error) {
    switch (error) {
    case ZEM_OK:
        return "success";
    case ZEM_ERROR_FAILED:
        return "the operation failed";
    case ZEM_ERROR_INVALID_ARGUMENT:
        return "an argument is missing or out of range";
    case ZEM_ERROR_NO_MEMORY:
        return "out of memory";
    case ZEM_ERROR_CANNOT_OPEN:
        return "the file cannot be opened";
    case ZEM_ERROR_BAD_INPUT:
        return "no ZEM stream or valid link file";
    case ZEM_ERROR_UNSUPPORTED:
        return "the stream's version or layout is not supported";
    case ZEM_ERROR_READ_FAILED:
        return "reading the file failed";
    case ZEM_ERROR_BAD_FRAME:
        return "a frame failed its check";
    case ZEM_ERROR_WRITE_FAILED:
        return "writing a file failed";
    default:
        return "unknown error";
    }
}

extern "C" const char* zem_version(void) { return ZEM_VERSION_TEXT; }
