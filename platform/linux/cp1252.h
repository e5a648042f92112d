// SPDX-License-Identifier: BSD-3-Clause
// The single-byte code page behind CP_ACP in the stand-in layer.
#pragma once

#include "platform/linux/win32_linux.h"

#include <cstdint>

namespace zem::win32_linux {

// Every byte has a character; the five bytes the code page leaves undefined
// (0x81 0x8D 0x8F 0x90 0x9D) map to the C1 controls of the same value.
WCHAR Cp1252ToWide(uint8_t byte);

// The byte for `c`, or -1 when the code page cannot show it. With `bestFit`
// the C1 controls U+0080..U+009F come back as the byte of the same value.
int WideToCp1252(WCHAR c, bool bestFit);

}  // namespace zem::win32_linux
