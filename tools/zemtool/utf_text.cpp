// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/utf_text.h"

#include <cstdint>

namespace zemtool {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

struct SequenceShape {
    int extra;         // continuation bytes behind the lead
    uint32_t bits;     // payload bits of the lead
    uint32_t minimum;  // smallest value this length may encode
};

bool ShapeOfLead(unsigned char lead, SequenceShape& shape) {
    if (lead >= 0xC2 && lead <= 0xDF)
        shape = {1, lead & 0x1Fu, 0x80};
    else if (lead >= 0xE0 && lead <= 0xEF)
        shape = {2, lead & 0x0Fu, 0x800};
    else if (lead >= 0xF0 && lead <= 0xF4)
        shape = {3, lead & 0x07u, 0x10000};
    else
        return false;
    return true;
}

// Decodes one sequence at `pos` into `code`. On malformed input advances by
// one byte and returns false; otherwise advances past the sequence.
bool DecodeSequence(const std::string& text, size_t& pos, uint32_t& code) {
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        code = lead;
        return true;
    }
    SequenceShape shape{};
    if (!ShapeOfLead(lead, shape) || text.size() - pos <= static_cast<size_t>(shape.extra)) {
        ++pos;
        return false;
    }
    uint32_t value = shape.bits;
    for (int i = 1; i <= shape.extra; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[pos + static_cast<size_t>(i)]);
        if (!IsContinuation(next)) {
            ++pos;
            return false;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    pos += static_cast<size_t>(shape.extra) + 1;
    code = value;
    return value >= shape.minimum && value <= 0x10FFFF;
}

bool IsSurrogate(uint32_t code) { return code >= 0xD800 && code <= 0xDFFF; }

uint32_t DecodeOne(const std::string& text, size_t& pos) {
    uint32_t code = 0;
    return DecodeSequence(text, pos, code) ? code : kReplacement;
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

WideText WideFromUtf8(const std::string& utf8) {
    WideText wide;
    wide.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const uint32_t code = DecodeOne(utf8, pos);
        if (code >= 0x10000) {
            const uint32_t offset = code - 0x10000;
            wide += static_cast<WideChar>(0xD800 + (offset >> 10));
            wide += static_cast<WideChar>(0xDC00 + (offset & 0x3FF));
        } else {
            wide += static_cast<WideChar>(code);
        }
    }
    return wide;
}

std::string Utf8FromWide(const WideChar* wide, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const uint32_t unit = static_cast<uint16_t>(wide[i]);
        if (IsHighSurrogate(unit) && i + 1 < length &&
            IsLowSurrogate(static_cast<uint16_t>(wide[i + 1]))) {
            const uint32_t low = static_cast<uint16_t>(wide[i + 1]);
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

std::string Utf8FromWide(const WideText& wide) { return Utf8FromWide(wide.data(), wide.size()); }

size_t WellFormedUtf8Length(const std::string& text, size_t pos) {
    size_t end = pos;
    uint32_t code = 0;
    return pos < text.size() && DecodeSequence(text, end, code) && !IsSurrogate(code) ? end - pos : 0;
}

}  // namespace zemtool
