// SPDX-License-Identifier: BSD-3-Clause
#include "zemsource/media_type.h"

#include <mmreg.h>

#include <cstring>

namespace zemsource {

HRESULT MakeAudioType(const PcmFormat& format, AM_MEDIA_TYPE& type) {
    std::memset(&type, 0, sizeof type);
    auto* wave = static_cast<WAVEFORMATEX*>(CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
    if (!wave) return E_OUTOFMEMORY;
    wave->wFormatTag = format.formatTag;
    wave->nChannels = format.channels;
    wave->nSamplesPerSec = format.samplesPerSec;
    wave->nAvgBytesPerSec = format.avgBytesPerSec;
    wave->nBlockAlign = format.blockAlign;
    wave->wBitsPerSample = format.bitsPerSample;
    wave->cbSize = 0;
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.bFixedSizeSamples = TRUE;
    type.bTemporalCompression = FALSE;
    type.lSampleSize = format.blockAlign;
    type.formattype = FORMAT_WaveFormatEx;
    type.cbFormat = sizeof(WAVEFORMATEX);
    type.pbFormat = reinterpret_cast<BYTE*>(wave);
    return S_OK;
}

HRESULT CopyMediaType(const AM_MEDIA_TYPE& from, AM_MEDIA_TYPE& to) {
    to = from;
    to.pbFormat = nullptr;
    to.cbFormat = 0;
    if (from.cbFormat && from.pbFormat) {
        to.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(from.cbFormat));
        if (!to.pbFormat) {
            to.pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(to.pbFormat, from.pbFormat, from.cbFormat);
        to.cbFormat = from.cbFormat;
    }
    if (to.pUnk) to.pUnk->AddRef();
    return S_OK;
}

void ClearMediaType(AM_MEDIA_TYPE& type) {
    if (type.pbFormat) CoTaskMemFree(type.pbFormat);
    if (type.pUnk) type.pUnk->Release();
    std::memset(&type, 0, sizeof type);
}

AM_MEDIA_TYPE* NewMediaType(const AM_MEDIA_TYPE& from) {
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!type) return nullptr;
    if (FAILED(CopyMediaType(from, *type))) {
        CoTaskMemFree(type);
        return nullptr;
    }
    return type;
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
    if (!type) return;
    ClearMediaType(*type);
    CoTaskMemFree(type);
}

bool Agrees(const AM_MEDIA_TYPE& proposed, const AM_MEDIA_TYPE& offered) {
    if (proposed.majortype != GUID_NULL && proposed.majortype != offered.majortype) return false;
    if (proposed.subtype != GUID_NULL && proposed.subtype != offered.subtype) return false;
    if (proposed.formattype == GUID_NULL) return true;
    if (proposed.formattype != offered.formattype) return false;
    return proposed.cbFormat == offered.cbFormat && proposed.pbFormat &&
           std::memcmp(proposed.pbFormat, offered.pbFormat, offered.cbFormat) == 0;
}

}  // namespace zemsource
