#include "tessarine/codec/tag_text.h"

namespace {
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

int32_t ParseDecimalNumber(const char* text) {
    if (!text)
        return 0;
    while (IsCSpace(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

bool IsStorableFieldName(const WCHAR* name) {
    if (!name)
        return false;
    for (; *name; ++name) {
        if (*name < 0x20 || *name > 0x7E)
            return false;
    }
    return true;
}
