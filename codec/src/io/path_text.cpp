// SPDX-License-Identifier: BSD-3-Clause
#include "io/path_text.h"

#include "io/text_convert.h"
#include "platform/paths.h"

#include <cstdint>

namespace zem {

namespace {

void AppendCodePoint(WString* wide, uint32_t code) {
    if (code >= 0x10000) {
        code -= 0x10000;
        *wide += static_cast<WCHAR>(0xD800 + (code >> 10));
        *wide += static_cast<WCHAR>(0xDC00 + (code & 0x3FF));
    } else {
        *wide += static_cast<WCHAR>(code);
    }
}

// The code point of a well-formed sequence of `length` bytes.
uint32_t DecodeSequence(const unsigned char* p, size_t length) {
    static const unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    uint32_t code = p[0] & kLeadBits[length];
    for (size_t i = 1; i < length; ++i)
        code = (code << 6) | (p[i] & 0x3Fu);
    return code;
}

void AppendUtf8(std::string* out, uint32_t code) {
    if (code < 0x80) {
        *out += static_cast<char>(code);
    } else if (code < 0x800) {
        *out += static_cast<char>(0xC0 | (code >> 6));
        *out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out += static_cast<char>(0xE0 | (code >> 12));
        *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | (code >> 18));
        *out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

bool WidePathFromUtf8(const char* text, WString* wide) {
    wide->clear();
    if (!text)
        return true;
    for (size_t i = 0; text[i];) {
        const size_t length = WellFormedUtf8Length(text + i);
        if (length == 0) {
#ifdef _WIN32
            wide->clear();
            return false;
#else
            *wide += static_cast<WCHAR>(kRawByteEscape + static_cast<unsigned char>(text[i]));
            ++i;
            continue;
#endif
        }
        AppendCodePoint(wide, DecodeSequence(reinterpret_cast<const unsigned char*>(text + i), length));
        i += length;
    }
    return true;
}

std::string Utf8PathFromWide(const WString& wide) {
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        const uint32_t unit = static_cast<uint16_t>(wide[i]);
#ifndef _WIN32
        if (IsRawByteEscape(wide[i])) {
            out += static_cast<char>(unit - kRawByteEscape);
            continue;
        }
#endif
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            AppendUtf8(&out, 0x10000 + ((unit - 0xD800) << 10) + (static_cast<uint16_t>(wide[i + 1]) - 0xDC00u));
            ++i;
        } else {
            AppendUtf8(&out, unit);
        }
    }
    return out;
}

}  // namespace zem
