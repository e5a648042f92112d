#include "tessarine/codec/decimal_text.h"

#include <algorithm>

namespace {
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

int32_t ParseDecimalNumber(const char* text) {
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
