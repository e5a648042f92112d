// What a stream stores beside its audio: the digest of its WAV file; and
// opening a range of an image by 64-bit block numbers.
#include "api/decoder_handle.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info.h"
#include "container/stream_info_record.h"
#include "decode/decoder_factory.h"
#include "io/win32_file.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

// Where the descriptor keeps the digest (versions from 3980 on).
constexpr size_t kDigestOffset = 36;
constexpr size_t kDigestBytes = 16;

// The codec counts blocks in 32 bits, so no stream is longer than INT32_MAX
// blocks: a number beyond stands for the stream's end, as the clamp to the
// stream would make of it; a negative one for the default (-1).
int BlockNumber(int64_t block) {
    if (block < 0)
        return -1;
    return static_cast<int>(std::min<int64_t>(block, INT32_MAX));
}

int OpenRange(const char* path, int64_t start, int64_t finish, zem_decoder** result) {
    WString wide;
    if (!path || !*path || !zem_api::WideFromUtf8(path, &wide))
        return ZEM_ERROR_INVALID_ARGUMENT;
    {
        CWin32File file;
        if (file.OpenForReading(wide.c_str()) != 0)
            return ZEM_ERROR_CANNOT_OPEN;
    }
    int codecError = CODEC_OK;
    auto* info = new CStreamInfo(wide.c_str(), &codecError);
    if (codecError != CODEC_OK) {
        delete info;
        return zem_api::OpenFailure(codecError);
    }
    std::unique_ptr<CDecoder> decoder =
        OpenDecoderFromInfo(info, BlockNumber(start), BlockNumber(finish), &codecError);
    if (!decoder)
        return zem_api::OpenFailure(codecError);
    *result = zem_api::NewHandle(std::move(decoder)).release();
    return ZEM_OK;
}

// The WAV header or trailer of d (`part` is the API function that copies it).
int WavePart(const zem_decoder* d, long (*part)(const zem_decoder*, void*, size_t), std::vector<uint8_t>* bytes) {
    const long size = part(d, nullptr, 0);
    if (size < 0)
        return static_cast<int>(size);
    bytes->resize(static_cast<size_t>(size));
    return size == 0 || part(d, bytes->data(), bytes->size()) == size ? ZEM_OK : ZEM_ERROR_FAILED;
}

}  // namespace

extern "C" int zem_get_md5(const zem_decoder* d, unsigned char md5[16]) {
    if (!d || !md5)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem_api::Guarded([&] {
        const auto* record = reinterpret_cast<const StreamInfoRecord*>(
            static_cast<intptr_t>(d->decoder->GetInfo(InfoRecord)));
        if (!record || record->version < kFirstDescriptorVersion ||
            record->descriptor.size() < kDigestOffset + kDigestBytes)
            return ZEM_ERROR_UNSUPPORTED;
        std::memcpy(md5, record->descriptor.data() + kDigestOffset, kDigestBytes);
        return ZEM_OK;
    });
}

extern "C" int zem_check_md5(zem_decoder* d) {
    if (!d || d->position != 0)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem_api::Guarded([&] {
        auto check = std::make_unique<zem_api::Md5Check>();
        if (!d->wholeStream || zem_get_md5(d, check->stored) != ZEM_OK ||
            std::all_of(std::begin(check->stored), std::end(check->stored), [](uint8_t b) { return b == 0; }))
            return ZEM_ERROR_UNSUPPORTED;
        std::vector<uint8_t> header;
        if (int code = WavePart(d, zem_get_wav_header, &header))
            return code;
        if (int code = WavePart(d, zem_get_wav_trailer, &check->trailer))
            return code;
        check->md5.Update(header.data(), header.size());
        d->md5Check = std::move(check);
        return ZEM_OK;
    });
}

extern "C" zem_decoder* zem_open_range64(const char* image_path_utf8, int64_t start_block, int64_t finish_block,
                                         int* error) {
    zem_decoder* result = nullptr;
    int code = zem_api::Guarded([&] { return OpenRange(image_path_utf8, start_block, finish_block, &result); });
    if (error)
        *error = code;
    return code == ZEM_OK ? result : nullptr;
}
