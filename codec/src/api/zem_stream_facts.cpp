// SPDX-License-Identifier: BSD-3-Clause
// What a stream stores beside its audio: the digest of its WAV file, and the
// check of it that a reader may ask for.
#include "api/decoder_handle.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info_record.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace zem;

namespace {

// Where the descriptor keeps the digest (versions from 3980 on).
constexpr size_t kDigestOffset = 36;
constexpr size_t kDigestBytes = 16;

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
    return zem::api::Guarded([&] {
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
    return zem::api::Guarded([&] {
        auto check = std::make_unique<zem::api::Md5Check>();
        if (!d->wholeStream || zem_get_md5(d, check->stored) != ZEM_OK ||
            std::all_of(std::begin(check->stored), std::end(check->stored), [](uint8_t b) { return b == 0; }))
            return ZEM_ERROR_UNSUPPORTED;
        std::vector<uint8_t> header;
        if (int code = WavePart(d, zem_get_wav_header, &header))
            return code;
        check->trailerAtEnd = d->trailerAtEnd;
        if (!check->trailerAtEnd)
            if (int code = WavePart(d, zem_get_wav_trailer, &check->trailer))
                return code;
        check->md5.Update(header.data(), header.size());
        d->md5Check = std::move(check);
        return ZEM_OK;
    });
}
