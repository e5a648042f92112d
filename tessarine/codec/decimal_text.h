// Decimal numbers in text, read the way the C library's atoi reads them:
// optional leading white space and sign, then digits up to the first
// non-digit; 0 when there are none. Where atoi leaves overflow undefined,
// values beyond 32 bits saturate at the 32-bit limits, as the platform's
// library does.
#pragma once

#include <cstdint>

int32_t ParseDecimalNumber(const char* text);
