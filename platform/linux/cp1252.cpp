// SPDX-License-Identifier: BSD-3-Clause
#include "platform/linux/cp1252.h"

namespace zem::win32_linux {

namespace {
// Bytes 0x80..0x9F; the rest of the page equals the first 256 code points.
constexpr WCHAR kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
}  // namespace

WCHAR Cp1252ToWide(uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

int WideToCp1252(WCHAR c, bool bestFit) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == c)
            return 0x80 + i;
    }
    if (bestFit && c >= 0x80 && c <= 0x9F)
        return c;
    return -1;
}

}  // namespace zem::win32_linux
