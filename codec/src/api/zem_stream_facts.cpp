// SPDX-License-Identifier: BSD-3-Clause
// What a stream stores beside its audio: the digest of its WAV file, and the
// checks of it that a reader may ask for, on one decoder or over PCM that
// several decoders read.
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

namespace {

// Sets up the check of d's digest: the stored digest and the trailer kept in
// `check`, and the WAV header, to be hashed first, in `header`.
// A source without seek gives its trailer once read to the end: with
// `trailerLater`, zem_read takes it then; else such a source is refused here.
int PrepareCheck(const zem_decoder* d, zem::api::Md5Check* check, std::vector<uint8_t>* header, bool trailerLater) {
    if (!d->wholeStream || zem_get_md5(d, check->stored) != ZEM_OK ||
        std::all_of(std::begin(check->stored), std::end(check->stored), [](uint8_t b) { return b == 0; }))
        return ZEM_ERROR_UNSUPPORTED;
    if (int code = WavePart(d, zem_get_wav_header, header))
        return code;
    check->trailerAtEnd = trailerLater && d->trailerAtEnd;
    if (check->trailerAtEnd)
        return ZEM_OK;
    return WavePart(d, zem_get_wav_trailer, &check->trailer);
}

// The verdict on a check whose PCM is all hashed.
int Verdict(zem::api::Md5Check& check) {
    check.md5.Update(check.trailer.data(), check.trailer.size());
    uint8_t digest[kDigestBytes];
    check.md5.Finish(digest);
    return std::memcmp(digest, check.stored, sizeof digest) == 0 ? ZEM_OK : ZEM_ERROR_BAD_MD5;
}

}  // namespace

// A check over PCM that other decoders may read.
struct zem_digest {
    zem::api::Md5Check check;
};

extern "C" int zem_check_md5(zem_decoder* d) {
    if (!d || d->position != 0)
        return ZEM_ERROR_INVALID_ARGUMENT;
    return zem::api::Guarded([&] {
        auto check = std::make_unique<zem::api::Md5Check>();
        std::vector<uint8_t> header;
        if (int code = PrepareCheck(d, check.get(), &header, true))
            return code;
        check->md5.Update(header.data(), header.size());
        d->md5Check = std::move(check);
        return ZEM_OK;
    });
}

extern "C" zem_digest* zem_digest_open(const zem_decoder* d, int* error) {
    zem_digest* result = nullptr;
    const int code = !d ? ZEM_ERROR_INVALID_ARGUMENT : zem::api::Guarded([&] {
        auto digest = std::make_unique<zem_digest>();
        std::vector<uint8_t> header;
        if (int prepared = PrepareCheck(d, &digest->check, &header, false))
            return prepared;
        digest->check.md5.Update(header.data(), header.size());
        result = digest.release();
        return ZEM_OK;
    });
    if (error)
        *error = code;
    return result;
}

extern "C" int zem_digest_add(zem_digest* g, const void* data, size_t bytes) {
    if (!g || (!data && bytes > 0))
        return ZEM_ERROR_INVALID_ARGUMENT;
    g->check.md5.Update(data, bytes);
    return ZEM_OK;
}

extern "C" int zem_digest_end(zem_digest* g) {
    if (!g)
        return ZEM_ERROR_INVALID_ARGUMENT;
    std::unique_ptr<zem_digest> owned(g);
    return Verdict(owned->check);
}
