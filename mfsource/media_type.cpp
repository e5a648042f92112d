// SPDX-License-Identifier: BSD-3-Clause
#include "mfsource/media_type.h"

#include "com/com_ref.h"
#include "zemsource/pcm_format.h"

#include <mferror.h>

namespace mfsource {

HRESULT MakePcmType(const zem_stream_info& info, IMFMediaType** out) {
    *out = nullptr;
    zemsource::PcmFormat format;
    if (!zemsource::MakePcmFormat(info.sample_rate, info.channels, info.bits_per_sample, format))
        return MF_E_INVALIDMEDIATYPE;
    com::ComRef<IMFMediaType> type;
    HRESULT status = MFCreateMediaType(type.Out());
    if (FAILED(status)) return status;
    const struct {
        const GUID& key;
        UINT32 value;
    } numbers[] = {
        {MF_MT_AUDIO_NUM_CHANNELS, format.channels},
        {MF_MT_AUDIO_SAMPLES_PER_SECOND, format.samplesPerSec},
        {MF_MT_AUDIO_BITS_PER_SAMPLE, format.bitsPerSample},
        {MF_MT_AUDIO_BLOCK_ALIGNMENT, format.blockAlign},
        {MF_MT_AUDIO_AVG_BYTES_PER_SECOND, format.avgBytesPerSec},
        {MF_MT_ALL_SAMPLES_INDEPENDENT, TRUE},
    };
    status = type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    if (SUCCEEDED(status)) status = type->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
    for (const auto& number : numbers)
        if (SUCCEEDED(status)) status = type->SetUINT32(number.key, number.value);
    if (FAILED(status)) return status;
    *out = type.Get();
    (*out)->AddRef();
    return S_OK;
}

}  // namespace mfsource
