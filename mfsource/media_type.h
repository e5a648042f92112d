// SPDX-License-Identifier: BSD-3-Clause
// The one media type the source offers: PCM of the stream's own format.
#pragma once

#include <zem/zem.h>

#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>

namespace mfsource {

// MF_E_INVALIDMEDIATYPE for a format the source cannot deliver (see zemsource/pcm_format.h).
HRESULT MakePcmType(const zem_stream_info& info, IMFMediaType** out);

}  // namespace mfsource
