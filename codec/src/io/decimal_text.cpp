// SPDX-License-Identifier: BSD-3-Clause
#include "io/decimal_text.h"

#include <algorithm>

namespace zem {

namespace {

template <class Char>
bool IsCSpace(Char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

template <class Char>
int32_t ParseDecimal(const Char* text) {
    if (!text)
        return 0;
    while (IsCSpace(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = std::min(limit, value * 10 + (*text - '0'));
    return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace

int32_t ParseDecimalNumber(const char* text) { return ParseDecimal(text); }
int32_t ParseWideDecimalNumber(const WCHAR* text) { return ParseDecimal(text); }

}  // namespace zem
