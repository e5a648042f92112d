// SPDX-License-Identifier: BSD-3-Clause
// The one media type the output pin offers, and the media-type record's
// memory rules (the format block belongs to the task allocator).
#pragma once

#include "zemsource/pcm_format.h"

#include <windows.h>
#include <dshow.h>

namespace zemsource {

// Fills `type` with MEDIATYPE_Audio / MEDIASUBTYPE_PCM and a WAVEFORMATEX of
// `format`. E_OUTOFMEMORY when the format block cannot be had.
HRESULT MakeAudioType(const PcmFormat& format, AM_MEDIA_TYPE& type);
HRESULT CopyMediaType(const AM_MEDIA_TYPE& from, AM_MEDIA_TYPE& to);
// Frees the format block and the unknown pointer and clears the record.
void ClearMediaType(AM_MEDIA_TYPE& type);
// A copy in task memory, as IEnumMediaTypes hands out; null when out of memory.
AM_MEDIA_TYPE* NewMediaType(const AM_MEDIA_TYPE& from);
void DeleteMediaType(AM_MEDIA_TYPE* type);

// Whether a type that a caller proposes, where GUID_NULL fields stand for
// "any", agrees with `offered`. A format block, when given, must match exactly.
bool Agrees(const AM_MEDIA_TYPE& proposed, const AM_MEDIA_TYPE& offered);

}  // namespace zemsource
