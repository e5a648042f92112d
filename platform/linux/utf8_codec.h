// SPDX-License-Identifier: BSD-3-Clause
// UTF-8 as the CP_UTF8 code page of the stand-in layer reads and writes it:
// well-formed sequences only, with every ill-formed part replaced by U+FFFD.
#pragma once

#include "platform/linux/win32_linux.h"

#include <cstddef>
#include <cstdint>

namespace zem::win32_linux {

constexpr uint32_t kReplacementChar = 0xFFFD;

// Decodes one sequence at `p` (`count` bytes available, at least 1). Returns the
// bytes consumed and stores the code point, or kReplacementChar with `*valid`
// false for an ill-formed part (a maximal prefix of a valid sequence).
size_t DecodeUtf8(const uint8_t* p, size_t count, uint32_t* codePoint, bool* valid);

// Reads one code point from UTF-16 (a pair, or one unit). A lone surrogate
// gives kReplacementChar with `*valid` false. Returns the units consumed.
size_t DecodeUtf16(const WCHAR* p, size_t count, uint32_t* codePoint, bool* valid);

// Writes the UTF-8 bytes of `codePoint` into `out` (room for 4); returns how many.
size_t EncodeUtf8(uint32_t codePoint, uint8_t* out);

}  // namespace zem::win32_linux
