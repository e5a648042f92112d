// SPDX-License-Identifier: BSD-3-Clause
// The enumerators the filter hands out: of its one pin, and of the pin's media
// types (none before a file is loaded, one after).
#pragma once

#include <windows.h>
#include <dshow.h>

namespace zemsource {

HRESULT NewPinEnumerator(IPin* pin, IEnumPins** out);
// `type` may be null for an empty enumeration.
HRESULT NewMediaTypeEnumerator(const AM_MEDIA_TYPE* type, IEnumMediaTypes** out);

}  // namespace zemsource
