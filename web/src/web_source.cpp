// SPDX-License-Identifier: BSD-3-Clause
// The WebAssembly module's own entry points beside the C API: decoders on
// byte sources that live in JavaScript (a Blob read in pieces, a file handle,
// bytes), link files and tags read from such sources, and 64-bit numbers
// passed as doubles so that the module needs no BigInt glue.
//
// A source is a number the JavaScript side chose; reading it is a call out
// of the module, `zem_web_source_read(source, offset, buffer, bytes)`, which
// answers at once (a worker reads a Blob with FileReaderSync, Node a file
// with readSync) and returns the bytes it gave, or a negative number.
#include "api/decoder_handle.h"
#include "api/io_source.h"

#include "container/codec_error.h"
#include "container/stream_info.h"
#include "decode/decoder_factory.h"
#include "io/memory_stream.h"
#include "io/text_convert.h"
#include "link/link_file.h"
#include "tag/tag_area.h"
#include "tag/tag_block.h"
#include "tag/tag_stream_end.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace zem;

#define ZEM_WEB_EXPORT extern "C" __attribute__((used, visibility("default")))

extern "C" {
__attribute__((import_module("env"), import_name("zem_web_source_read"))) long zem_web_source_read(
    int source, double offset, void* buffer, long bytes);
}

namespace {

struct WebSource {
    int id;
    int64_t position = 0;
};

long SourceRead(void* user, void* buffer, long bytes) {
    auto* source = static_cast<WebSource*>(user);
    const long got = zem_web_source_read(source->id, static_cast<double>(source->position), buffer, bytes);
    if (got > 0)
        source->position += got;
    return got;
}

int SourceSeek(void* user, int64_t offset) {
    if (offset < 0)
        return -1;
    static_cast<WebSource*>(user)->position = offset;
    return 0;
}

const zem_io kSourceIo = {SourceRead, SourceSeek, nullptr};

// The codec's file interface on source `id` of `size` bytes; the stream owns the source record.
std::unique_ptr<CStreamIo> OpenStream(int id, double size) {
    auto source = std::make_shared<WebSource>(WebSource{id});
    void* user = source.get();
    return std::make_unique<zem::api::CCallbackStream>(kSourceIo, user, static_cast<int64_t>(size), std::move(source));
}

int OpenOnSource(int id, double size, int start, int finish, bool whole, zem_decoder** result) {
    if (!(size >= 0) || size > INT32_MAX)
        return ZEM_ERROR_UNSUPPORTED;
    std::unique_ptr<CStreamIo> stream = OpenStream(id, size);
    int codecError = CODEC_OK;
    std::unique_ptr<CDecoder> decoder;
    if (whole) {
        decoder = OpenDecoderFromIo(stream.get(), &codecError);
    } else {
        auto* info = new CStreamInfo(stream.get(), &codecError);
        if (codecError != CODEC_OK)
            delete info;
        else
            decoder = OpenDecoderFromInfo(info, start, finish, &codecError);
    }
    if (!decoder)
        return zem::api::OpenFailure(codecError);
    std::unique_ptr<zem_decoder> handle = zem::api::NewHandle(std::move(decoder));
    handle->source = std::move(stream);
    handle->wholeStream = whole;
    *result = handle.release();
    return ZEM_OK;
}

int32_t BlockNumber(double block) {
    return block < 0 ? -1 : (block > INT32_MAX ? INT32_MAX : static_cast<int32_t>(block));
}

// Items as "name\0value\0" pairs; binary values are left out. A ZEM tag in
// front of an ID3v1 record is the one shown, as `zemtool tag` shows it.
std::string TagPairs(CStreamIo& io) {
    TagArea area;
    const bool both = ReadTagArea(io, StreamAudioEnd(io), &area).empty() && !area.zemTag.empty() && !area.id3v1.empty();
    CMemoryStream zemOnly(area.zemTag, true);
    CTagBlock tag(both ? static_cast<CStreamIo*>(&zemOnly) : &io, 1);
    std::string pairs;
    for (int index = 0; index < tag.GetFieldCount(); ++index) {
        const CTagItem* item = tag.GetField(index);
        const char* value = reinterpret_cast<const char*>(item->GetValue());
        const size_t size = static_cast<size_t>(item->GetValueSize());
        std::string text;
        if (item->IsAnsiText())
            text = AnsiToUtf8(std::string(value, strnlen(value, size)).c_str());
        else if (item->IsText())
            text.assign(value, strnlen(value, size));
        else
            continue;
        pairs += WideToUtf8(item->GetName().c_str());
        pairs += '\0';
        pairs += text;
        pairs += '\0';
    }
    return pairs;
}

}  // namespace

// A decoder on the whole stream of source `id` (`size` bytes), as zem_open_io() opens one.
ZEM_WEB_EXPORT zem_decoder* zem_web_open(int id, double size, int* error) {
    zem_decoder* result = nullptr;
    const int code = zem::api::Guarded([&] { return OpenOnSource(id, size, -1, -1, true, &result); });
    if (error)
        *error = code;
    return code == ZEM_OK ? result : nullptr;
}

// The blocks from `start` up to `finish` of the stream of source `id`, as
// zem_open_range64() opens them from a file (a link file's track).
ZEM_WEB_EXPORT zem_decoder* zem_web_open_range(int id, double size, double start, double finish, int* error) {
    zem_decoder* result = nullptr;
    const int code = zem::api::Guarded(
        [&] { return OpenOnSource(id, size, BlockNumber(start), BlockNumber(finish), false, &result); });
    if (error)
        *error = code;
    return code == ZEM_OK ? result : nullptr;
}

// The tag items of source `id` (`size` bytes, a stream or a link file) as
// "name\0value\0" pairs in memory the caller frees; *length gets their bytes.
ZEM_WEB_EXPORT char* zem_web_tags(int id, double size, long* length) {
    char* copy = nullptr;
    *length = 0;
    zem::api::Guarded([&] {
        if (!(size >= 0) || size > INT32_MAX)
            return ZEM_ERROR_UNSUPPORTED;
        std::unique_ptr<CStreamIo> stream = OpenStream(id, size);
        const std::string pairs = TagPairs(*stream);
        copy = static_cast<char*>(std::malloc(pairs.size() + 1));
        if (!copy)
            return ZEM_ERROR_NO_MEMORY;
        std::memcpy(copy, pairs.data(), pairs.size());
        *length = static_cast<long>(pairs.size());
        return ZEM_OK;
    });
    return copy;
}

// The keys of a link file's text (its first bytes, NUL-terminated): the image
// name as written (UTF-8, into image) and the track's blocks. Returns 1 for a
// link file that holds them all, 0 otherwise.
ZEM_WEB_EXPORT int zem_web_parse_link(const char* text, char* image, size_t imageSize, double* start,
                                      double* finish) {
    return zem::api::Guarded([&] {
        CLinkFile link;
        link.ParseLinkText(text, nullptr);
        if (!link.IsValid())
            return 0;
        zem::api::CopyDetail(zem::api::Utf8PathFromLibrary(link.GetImagePath()), image, imageSize);
        *start = link.GetStartBlock();
        *finish = link.GetFinishBlock();
        return 1;
    });
}

ZEM_WEB_EXPORT int zem_web_seek(zem_decoder* d, double block) {
    return block >= 0 ? zem_seek(d, static_cast<uint64_t>(block)) : ZEM_ERROR_INVALID_ARGUMENT;
}

ZEM_WEB_EXPORT double zem_web_tell(const zem_decoder* d) { return static_cast<double>(zem_tell(d)); }

// Block counts of zem_get_info, zem_get_range and zem_get_frame as doubles:
// total, first, stream blocks, and the frame holding `block` (first, end).
ZEM_WEB_EXPORT int zem_web_blocks(const zem_decoder* d, double block, double* out) {
    zem_stream_info info;
    uint64_t first = 0, streamBlocks = 0, frameFirst = 0, frameEnd = 0;
    int code = zem_get_info(d, &info);
    if (code == ZEM_OK)
        code = zem_get_range(d, &first, &streamBlocks);
    if (code != ZEM_OK)
        return code;
    if (block >= 0 && block < static_cast<double>(info.total_blocks))
        zem_get_frame(d, static_cast<uint64_t>(block), &frameFirst, &frameEnd);
    out[0] = static_cast<double>(info.total_blocks);
    out[1] = static_cast<double>(first);
    out[2] = static_cast<double>(streamBlocks);
    out[3] = static_cast<double>(frameFirst);
    out[4] = static_cast<double>(frameEnd);
    return ZEM_OK;
}
