// SPDX-License-Identifier: BSD-3-Clause
// Small text rules shared by the tag code: field and genre names compare
// without regard to ASCII case only (no locale).
#pragma once

#include "platform/win32.h"

#include <cstdint>

namespace zem {

template <class Char>
Char FoldAsciiCase(Char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Both texts NUL-terminated; none equals nothing.
template <class Char>
bool EqualsIgnoringAsciiCase(const Char* a, const Char* b) {
    if (!a || !b)
        return false;
    for (; *a && *b; ++a, ++b) {
        if (FoldAsciiCase(*a) != FoldAsciiCase(*b))
            return false;
    }
    return *a == *b;
}

// True when every character lies from 0x20 to 0x7E, the only bytes that a
// stored item name may hold.
bool IsStorableFieldName(const WCHAR* name);

}  // namespace zem
