// SPDX-License-Identifier: BSD-3-Clause
// Result codes and texts of the C API, and the library's version.
#include "api/decoder_handle.h"

#include "container/codec_error.h"

#include <algorithm>
#include <cstring>

using namespace zem;

#ifndef ZEM_VERSION_TEXT
#error "ZEM_VERSION_TEXT must come from the build (the project's version)"
#endif

namespace zem::api {

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
    case CODEC_TRUNCATED:
        return ZEM_ERROR_TRUNCATED;
    case CODEC_PATH_REFUSED:
        return ZEM_ERROR_PATH_REFUSED;
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

void CopyDetail(const std::string& text, char* buffer, size_t size) {
    if (!buffer || size == 0)
        return;
    size_t length = std::min(text.size(), size - 1);
    // Never half a character: back off over continuation bytes to a lead.
    if (length < text.size())
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

}  // namespace zem::api

extern "C" const char* zem_error_text(int error) {
    switch (error) {
    case ZEM_OK:
        return "success";
    case ZEM_ERROR_FAILED:
        return "the operation failed";
    case ZEM_ERROR_INVALID_ARGUMENT:
#ifdef _WIN32
        return "an argument is missing or out of range, or a path is not UTF-8";
#else
        return "an argument is missing or out of range";
#endif
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
    case ZEM_ERROR_TRUNCATED:
        return "the file ends before the stream does (it was cut short)";
    case ZEM_ERROR_PATH_REFUSED:
        return "a network or device path was refused (it could send credentials to another machine)";
    case ZEM_ERROR_BAD_MD5:
        return "the decoded WAV file does not match the MD5 digest the stream stores";
    default:
        return "unknown error";
    }
}

extern "C" const char* zem_version(void) { return ZEM_VERSION_TEXT; }
