// SPDX-License-Identifier: BSD-3-Clause
#include "platform/linux/utf8_codec.h"

namespace zem::win32_linux {

namespace {

struct LeadInfo {
    size_t trailing;    // continuation bytes that must follow
    uint8_t firstLow;   // allowed range of the first continuation byte, which
    uint8_t firstHigh;  // rules out overlong forms, surrogates and > U+10FFFF
    uint32_t bits;      // payload bits of the lead byte
};

bool ClassifyLead(uint8_t lead, LeadInfo* info) {
    if (lead >= 0xC2 && lead <= 0xDF)
        *info = {1, 0x80, 0xBF, lead & 0x1Fu};
    else if (lead == 0xE0)
        *info = {2, 0xA0, 0xBF, 0};
    else if (lead == 0xED)
        *info = {2, 0x80, 0x9F, 0xD};
    else if (lead >= 0xE1 && lead <= 0xEF)
        *info = {2, 0x80, 0xBF, lead & 0x0Fu};
    else if (lead == 0xF0)
        *info = {3, 0x90, 0xBF, 0};
    else if (lead == 0xF4)
        *info = {3, 0x80, 0x8F, 4};
    else if (lead >= 0xF1 && lead <= 0xF3)
        *info = {3, 0x80, 0xBF, lead & 0x07u};
    else
        return false;
    return true;
}

}  // namespace

size_t DecodeUtf8(const uint8_t* p, size_t count, uint32_t* codePoint, bool* valid) {
    *valid = true;
    *codePoint = p[0];
    if (p[0] < 0x80)
        return 1;
    LeadInfo info;
    *valid = false;
    *codePoint = kReplacementChar;
    if (!ClassifyLead(p[0], &info))
        return 1;
    uint32_t value = info.bits;
    for (size_t i = 1; i <= info.trailing; ++i) {
        uint8_t low = i == 1 ? info.firstLow : 0x80;
        uint8_t high = i == 1 ? info.firstHigh : 0xBF;
        if (i >= count || p[i] < low || p[i] > high)
            return i;
        value = (value << 6) | (p[i] & 0x3Fu);
    }
    *valid = true;
    *codePoint = value;
    return info.trailing + 1;
}

size_t DecodeUtf16(const WCHAR* p, size_t count, uint32_t* codePoint, bool* valid) {
    uint32_t unit = p[0];
    *valid = true;
    *codePoint = unit;
    if (unit < 0xD800 || unit > 0xDFFF)
        return 1;
    if (unit <= 0xDBFF && count > 1 && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
        *codePoint = 0x10000 + ((unit - 0xD800) << 10) + (p[1] - 0xDC00u);
        return 2;
    }
    *valid = false;
    *codePoint = kReplacementChar;
    return 1;
}

size_t EncodeUtf8(uint32_t codePoint, uint8_t* out) {
    if (codePoint < 0x80) {
        out[0] = static_cast<uint8_t>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<uint8_t>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<uint8_t>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<uint8_t>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<uint8_t>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<uint8_t>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<uint8_t>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
    return 4;
}

}  // namespace zem::win32_linux
