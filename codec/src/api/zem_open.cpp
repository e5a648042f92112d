// SPDX-License-Identifier: BSD-3-Clause
// Opening and closing decoders, and what they tell about their stream.
#include "api/decoder_handle.h"

#include "container/codec_error.h"
#include "decode/decoder_factory.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "io/path_text.h"
#include "io/win32_file.h"
#include "link/remote_path.h"

#include <algorithm>
#include <climits>

using namespace zem;

namespace {


std::string Quoted(const WString& path) { return "\"" + Utf8PathFromWide(path) + "\""; }

// Why the factory gave up, in the words a caller can show.
std::string FailureDetail(int code, const WString& path, const OpenFindings& found) {
    switch (code) {
    case ZEM_ERROR_PATH_REFUSED:
        return "the link file " + Quoted(path) + " names " + Quoted(found.imagePath) + ": " + kRemotePathReason +
               " (allowed with ZEM_OPEN_ALLOW_REMOTE_PATHS)";
    case ZEM_ERROR_UNSUPPORTED:
        return Quoted(path) + " holds a stream of a version this library does not decode";
    case ZEM_ERROR_BAD_INPUT:
        break;
    default:
        return std::string();
    }
    if (!found.link)
        return Quoted(path) + " holds no ZEM stream (nor a link file's header)";
    if (found.imagePath.empty())
        return "the link file " + Quoted(path) + " lacks one of its keys (Image File, Start Block, Finish Block)";
    if (!found.imageOpens)
        return "the image " + Quoted(found.imagePath) + " named by the link file " + Quoted(path) +
               " is missing or cannot be read";
    return "the image " + Quoted(found.imagePath) + " named by the link file " + Quoted(path) +
           " holds no ZEM stream";
}

// `open` builds the codec's decoder for the wide path and sets a codec error.
template <class OpenWide>
int Open(const char* path, zem_decoder** result, std::string* detail, OpenWide open) {
    WString wide;
    if (!path || !*path) {
        *detail = "no path given";
        return ZEM_ERROR_INVALID_ARGUMENT;
    }
    if (!WidePathFromUtf8(path, &wide)) {
        *detail = "the path is not valid UTF-8 (on Windows, convert wide file names to UTF-8)";
        return ZEM_ERROR_INVALID_ARGUMENT;
    }
    {
        // Told apart from a file that opens but holds no stream.
        CWin32File file;
        if (file.OpenForReading(wide.c_str()) != 0) {
            *detail = Quoted(wide) + " is missing or cannot be read";
            return ZEM_ERROR_CANNOT_OPEN;
        }
    }
    int codecError = 0;
    OpenFindings found;
    std::unique_ptr<CDecoder> decoder = open(wide, &codecError, &found);
    if (!decoder) {
        const int code = zem::api::OpenFailure(codecError);
        *detail = FailureDetail(code, wide, found);
        return code;
    }
    zem_decoder* handle = zem::api::NewHandle(std::move(decoder)).release();
    handle->wholeStream = !found.link && handle->rangeStart == 0 && handle->info.total_blocks == handle->streamBlocks;
    *result = handle;
    return ZEM_OK;
}

// Runs an opener with the C API's error and detail slots.
template <class Opener>
zem_decoder* OpenReporting(int* error, char* detail, size_t detailSize, Opener opener) {
    zem_decoder* result = nullptr;
    std::string text;
    int code = zem::api::Guarded([&] { return opener(&result, &text); });
    if (code == ZEM_ERROR_NO_MEMORY && text.empty())
        text = "out of memory";
    if (error)
        *error = code;
    zem::api::CopyDetail(code == ZEM_OK ? std::string() : text, detail, detailSize);
    return code == ZEM_OK ? result : nullptr;
}

constexpr unsigned kKnownOpenFlags = ZEM_OPEN_ALLOW_REMOTE_PATHS;

}  // namespace

extern "C" zem_decoder* zem_open_ex(const char* path_utf8, unsigned flags, int* error, char* detail,
                                    size_t detail_size) {
    return OpenReporting(error, detail, detail_size, [&](zem_decoder** result, std::string* text) {
        if (flags & ~kKnownOpenFlags) {
            *text = "unknown open flags";
            return ZEM_ERROR_INVALID_ARGUMENT;
        }
        OpenOptions options;
        options.allowRemotePaths = (flags & ZEM_OPEN_ALLOW_REMOTE_PATHS) != 0;
        return Open(path_utf8, result, text, [&](const WString& path, int* codecError, OpenFindings* found) {
            return OpenDecoder(path.c_str(), codecError, options, found);
        });
    });
}

extern "C" zem_decoder* zem_open(const char* path_utf8, int* error) {
    return zem_open_ex(path_utf8, 0, error, nullptr, 0);
}

// The way the factory opens a link file's image, without the link file.
extern "C" zem_decoder* zem_open_range(const char* image_path_utf8, int32_t start_block, int32_t finish_block,
                                       int* error) {
    return zem_open_range64(image_path_utf8, start_block, finish_block, error);
}

extern "C" zem_decoder* zem_open_range64(const char* image_path_utf8, int64_t start_block, int64_t finish_block,
                                         int* error) {
    // The codec counts blocks in 32 bits, so no stream is longer than INT32_MAX
    // blocks: a number beyond stands for the stream's end, as the clamp to the
    // stream would make of it; a negative one for the default (-1).
    const auto blockNumber = [](int64_t block) {
        return block < 0 ? -1 : static_cast<int>(std::min<int64_t>(block, INT32_MAX));
    };
    const int start = blockNumber(start_block);
    const int finish = blockNumber(finish_block);
    return OpenReporting(error, nullptr, 0, [&](zem_decoder** result, std::string* text) {
        const int code = Open(image_path_utf8, result, text, [=](const WString& path, int* codecError, OpenFindings*) {
            auto* info = new CStreamInfo(path.c_str(), codecError);
            if (*codecError != CODEC_OK) {
                delete info;
                return std::unique_ptr<CDecoder>();
            }
            return OpenDecoderFromInfo(info, start, finish, codecError);
        });
        if (code == ZEM_OK)
            (*result)->wholeStream = false;  // a range's header is made for it, not the stream's
        return code;
    });
}

extern "C" void zem_close(zem_decoder* d) { delete d; }

extern "C" int zem_get_info(const zem_decoder* d, zem_stream_info* info) {
    if (!d || !info)
        return ZEM_ERROR_INVALID_ARGUMENT;
    *info = d->info;
    return ZEM_OK;
}

extern "C" int zem_get_range(const zem_decoder* d, uint64_t* first_block, uint64_t* stream_blocks) {
    if (!d)
        return ZEM_ERROR_INVALID_ARGUMENT;
    if (first_block)
        *first_block = d->rangeStart;
    if (stream_blocks)
        *stream_blocks = d->streamBlocks;
    return ZEM_OK;
}
