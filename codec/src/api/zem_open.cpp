// Opening and closing decoders, and what they tell about their stream.
#include "api/decoder_handle.h"

#include "container/codec_error.h"
#include "decode/decoder_factory.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "io/win32_file.h"

#include <algorithm>

namespace {

unsigned Unsigned(int64_t value) { return static_cast<unsigned>(std::max<int64_t>(value, 0)); }

// `open` builds the codec's decoder for the wide path and sets a codec error.
template <class OpenWide>
int Open(const char* path, zem_decoder** result, OpenWide open) {
    WString wide;
    if (!path || !*path || !zem_api::WideFromUtf8(path, &wide))
        return ZEM_ERROR_INVALID_ARGUMENT;
    {
        // Told apart from a file that opens but holds no stream.
        CWin32File file;
        if (file.OpenForReading(wide.c_str()) != 0)
            return ZEM_ERROR_CANNOT_OPEN;
    }
    int codecError = 0;
    std::unique_ptr<CDecoder> decoder = open(wide, &codecError);
    if (!decoder)
        // The factory's -1 is a version no decoder takes (or a decoder that could not be built).
        return codecError == CODEC_FAILED ? ZEM_ERROR_UNSUPPORTED
                                          : (codecError ? zem_api::FromCodecError(codecError) : ZEM_ERROR_BAD_INPUT);
    auto handle = std::make_unique<zem_decoder>();
    CDecoder& d = *decoder;
    handle->info.version = Unsigned(d.GetInfo(Version));
    handle->info.compression_level = Unsigned(d.GetInfo(CompressionLevel));
    handle->info.sample_rate = Unsigned(d.GetInfo(SampleRate));
    handle->info.channels = Unsigned(d.GetInfo(Channels));
    handle->info.bits_per_sample = Unsigned(d.GetInfo(BitsPerSample));
    handle->info.block_align = Unsigned(d.GetInfo(BlockAlign));
    handle->info.total_blocks = static_cast<uint64_t>(std::max<int64_t>(d.GetInfo(DecoderTotalBlocks), 0));
    handle->streamBlocks = static_cast<uint64_t>(std::max<int64_t>(d.GetInfo(TotalBlocks), 0));
    handle->blocksPerFrame = d.GetInfo(BlocksPerFrame);
    handle->totalFrames = d.GetInfo(TotalFrames);
    handle->rangeStart = static_cast<uint64_t>(std::max<int64_t>(d.GetInfo(DecoderRangeStart), 0));
    handle->decoder = std::move(decoder);
    *result = handle.release();
    return ZEM_OK;
}

}  // namespace

extern "C" zem_decoder* zem_open(const char* path_utf8, int* error) {
    zem_decoder* result = nullptr;
    int code = zem_api::Guarded([&] {
        return Open(path_utf8, &result, [](const WString& path, int* codecError) {
            return OpenDecoder(path.c_str(), codecError);
        });
    });
    if (error)
        *error = code;
    return code == ZEM_OK ? result : nullptr;
}

// The way the factory opens a link file's image, without the link file.
extern "C" zem_decoder* zem_open_range(const char* image_path_utf8, int32_t start_block, int32_t finish_block,
                                       int* error) {
    zem_decoder* result = nullptr;
    int code = zem_api::Guarded([&] {
        return Open(image_path_utf8, &result, [=](const WString& path, int* codecError) {
            auto* info = new CStreamInfo(path.c_str(), codecError);
            if (*codecError != CODEC_OK) {
                delete info;
                return std::unique_ptr<CDecoder>();
            }
            return OpenDecoderFromInfo(info, start_block, finish_block, codecError);
        });
    });
    if (error)
        *error = code;
    return code == ZEM_OK ? result : nullptr;
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
