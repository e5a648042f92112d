// SPDX-License-Identifier: BSD-3-Clause
// Decimal numbers in text, read the way the C library's atoi reads them:
// optional leading white space and sign, then digits up to the first
// non-digit; 0 when there are none. Where atoi leaves overflow undefined,
// values beyond 32 bits saturate at the 32-bit limits, as the platform's
// library does.
#pragma once

#include <cstdint>


#include "platform/win32.h"

namespace zem {

int32_t ParseDecimalNumber(const char* text);
// The same for wide text (the wide form of atoi): only ASCII white space and
// digits count.
int32_t ParseWideDecimalNumber(const WCHAR* text);

}  // namespace zem
