// SPDX-License-Identifier: BSD-3-Clause
// Opening streams that are no file of their own: from callbacks and from
// memory. Sources that can seek are read where the decoder needs them;
// others front to back, as the decoder reads its frames.
#include "api/decoder_handle.h"
#include "api/io_source.h"
#include "api/sequential_source.h"

#include "container/codec_error.h"
#include "container/header_reader.h"
#include "container/stream_extent.h"
#include "decode/decoder_factory.h"

#include <climits>
#include <cstring>

using namespace zem;

namespace {

// A caller's bytes, read through the same callbacks as any other source.
struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

long MemoryRead(void* user, void* buffer, long bytes) {
    auto* source = static_cast<MemorySource*>(user);
    const size_t count = std::min(source->size - source->position, static_cast<size_t>(bytes));
    if (count > 0)
        std::memcpy(buffer, source->data + source->position, count);
    source->position += count;
    return static_cast<long>(count);
}

int MemorySeek(void* user, int64_t offset) {
    auto* source = static_cast<MemorySource*>(user);
    if (offset < 0 || static_cast<uint64_t>(offset) > source->size)
        return -1;
    source->position = static_cast<size_t>(offset);
    return 0;
}

int64_t MemorySize(void* user) { return static_cast<int64_t>(static_cast<MemorySource*>(user)->size); }

const zem_io kMemoryIo = {MemoryRead, MemorySeek, MemorySize};

// `source` holds the bytes the decoder reads; the handle keeps it.
int OpenSource(std::unique_ptr<CStreamIo> source, bool canSeek, zem_decoder** result) {
    int codecError = CODEC_OK;
    std::unique_ptr<CDecoder> decoder = OpenDecoderFromIo(source.get(), &codecError);
    if (!decoder)
        return zem::api::OpenFailure(codecError);
    std::unique_ptr<zem_decoder> handle = zem::api::NewHandle(std::move(decoder));
    handle->source = std::move(source);
    handle->canSeek = canSeek;
    handle->wholeStream = true;
    *result = handle.release();
    return ZEM_OK;
}

// A source that cannot seek. The header says how far the frames and the WAV
// trailer reach, so the decoder reads up to there as the bytes arrive, keeping
// only the frame it is in; the tags behind are never read. Streams that do
// not record where their last frame ends (the older versions), and bytes that
// hold no header the reader takes, are read whole first, tags and all.
int OpenSequential(const zem_io& io, void* user, zem_decoder** result) {
    auto source = std::make_unique<zem::api::CSequentialStream>(io, user);
    StreamInfoRecord record;
    StreamExtent extent;
    if (CHeaderReader(source.get()).Read(&record) == 0)
        extent = FindStreamExtent(record, INT32_MAX, 0);
    if (extent.neededExact && extent.neededBytes < INT32_MAX) {
        source->SetSize(extent.neededBytes);
        source->KeepFrom(extent.neededBytes - extent.announcedTrailer);
    }
    else if (int codecError = source->ReadToEnd())
        return codecError == CODEC_BAD_INPUT ? ZEM_ERROR_UNSUPPORTED : ZEM_ERROR_READ_FAILED;
    if (source->Seek(0, 0) != 0)
        return ZEM_ERROR_READ_FAILED;
    zem::api::CSequentialStream* stream = source.get();
    const int code = OpenSource(std::move(source), false, result);
    if (code == ZEM_OK && stream->IsSequential()) {
        stream->ForgetBehindSeeks();
        (*result)->trailerAtEnd = true;
        (*result)->sequential = stream;
    }
    return code;
}

int OpenIo(const zem_io& io, void* user, std::shared_ptr<void> owner, zem_decoder** result) {
    if (!io.seek)
        return OpenSequential(io, user, result);
    const int64_t size = zem::api::SourceSize(io, user);
    if (size > INT32_MAX || size == CODEC_BAD_INPUT)
        return ZEM_ERROR_UNSUPPORTED;
    if (size < 0 || io.seek(user, 0) != 0)
        return ZEM_ERROR_READ_FAILED;
    return OpenSource(std::make_unique<zem::api::CCallbackStream>(io, user, size, std::move(owner)), true, result);
}

zem_decoder* Finish(int code, zem_decoder* result, int* error) {
    if (error)
        *error = code;
    return code == ZEM_OK ? result : nullptr;
}

}  // namespace

extern "C" zem_decoder* zem_open_io(const zem_io* io, void* user, int* error) {
    zem_decoder* result = nullptr;
    int code = zem::api::Guarded([&] {
        if (!io || !io->read)
            return ZEM_ERROR_INVALID_ARGUMENT;
        return OpenIo(*io, user, nullptr, &result);
    });
    return Finish(code, result, error);
}

extern "C" zem_decoder* zem_open_memory(const void* data, size_t size, int* error) {
    zem_decoder* result = nullptr;
    int code = zem::api::Guarded([&] {
        if (!data)
            return ZEM_ERROR_INVALID_ARGUMENT;
        if (size > static_cast<size_t>(INT32_MAX))
            return ZEM_ERROR_UNSUPPORTED;
        auto source = std::make_shared<MemorySource>(MemorySource{static_cast<const uint8_t*>(data), size});
        void* user = source.get();
        return OpenIo(kMemoryIo, user, std::move(source), &result);
    });
    return Finish(code, result, error);
}
