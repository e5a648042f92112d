// What a stream stores beside its audio: the digest of its WAV file.
#include "api/decoder_handle.h"

#include "container/codec_error.h"
#include "container/info_id.h"
#include "container/stream_info_record.h"

#include <cstring>

namespace {

// Where the descriptor keeps the digest (versions from 3980 on).
constexpr size_t kDigestOffset = 36;
constexpr size_t kDigestBytes = 16;

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
