// SPDX-License-Identifier: BSD-3-Clause
#include "io/text_convert.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace zem {

namespace {

// Bytes of the sequence that starts at `p`, or 0 when the terminator comes
// before its end: such a cut-short sequence gives no character, and nothing
// behind the NUL is ever read. Both passes of the decoder use this, so the
// count they reach is the same.
size_t Utf8SequenceLength(const unsigned char* p) {
    size_t length = p[0] < 0x80 ? 1 : (p[0] & 0xE0) == 0xE0 ? 3 : 2;
    for (size_t i = 1; i < length; ++i) {
        if (p[i] == 0)
            return 0;
    }
    return length;
}

WCHAR DecodeSequence(const unsigned char* p, size_t length) {
    uint32_t value = p[0];
    if (length == 2)
        value = ((p[0] & 0x3Fu) << 6) | (p[1] & 0x3Fu);
    else if (length == 3)
        value = (static_cast<uint32_t>(p[0]) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
    return static_cast<WCHAR>(value & 0xFFFF);
}

size_t Utf8Length(WCHAR c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : 3; }

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string WideToAnsi(const WCHAR* text) {
    size_t length = text ? std::char_traits<WCHAR>::length(text) : 0;
    if (length == 0 || length > INT32_MAX / 2)
        return std::string();
    int room = static_cast<int>(2 * length);
    std::vector<char> buffer(2 * length + 1, 0);
    int written = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), buffer.data(), room,
                                      nullptr, nullptr);
    if (written == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        // An ANSI code page of more than two bytes per character (UTF-8 as the
        // system code page) does not fit the usual room: ask for the size
        // rather than lose the text.
        int needed = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                         nullptr);
        if (needed <= 0)
            return std::string();
        buffer.assign(static_cast<size_t>(needed) + 1, 0);
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), buffer.data(), needed, nullptr,
                            nullptr);
    }
    return std::string(buffer.data());
}

WString AnsiToWide(const char* text) {
    size_t length = text ? std::strlen(text) : 0;
    if (length == 0 || length > INT32_MAX)
        return WString();
    // No code page gives more UTF-16 units than bytes.
    std::vector<WCHAR> buffer(length + 1, 0);
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), buffer.data(), static_cast<int>(length));
    return WString(buffer.data());
}

WString Utf8ToWide(const char* text) {
    if (!text)
        return WString();
    auto bytes = reinterpret_cast<const unsigned char*>(text);
    size_t count = 0;
    for (size_t i = 0, length; bytes[i] != 0 && (length = Utf8SequenceLength(bytes + i)) != 0; i += length)
        ++count;
    WString result;
    result.reserve(count);
    for (size_t i = 0; result.size() < count; i += Utf8SequenceLength(bytes + i))
        result += DecodeSequence(bytes + i, Utf8SequenceLength(bytes + i));
    // A sequence such as C0 80 decodes to NUL; the text ends there.
    return WString(result.c_str());
}

std::string WideToUtf8(const WCHAR* text) {
    if (!text)
        return std::string();
    size_t bytes = 0;
    for (const WCHAR* p = text; *p; ++p)
        bytes += Utf8Length(*p);
    std::string result;
    result.reserve(bytes);
    for (const WCHAR* p = text; *p; ++p)
        AppendUtf8(result, *p);
    return result;
}

std::string Utf8ToAnsi(const char* text) { return WideToAnsi(Utf8ToWide(text).c_str()); }

std::string AnsiToUtf8(const char* text) { return WideToUtf8(AnsiToWide(text).c_str()); }

size_t WellFormedUtf8Length(const char* text) {
    auto p = reinterpret_cast<const unsigned char*>(text);
    unsigned char lead = p[0];
    if (lead < 0x80)
        return 1;
    size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                                 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    // The second byte's range excludes overlong forms, surrogates and values
    // above U+10FFFF.
    unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (size_t i = 1; i < length; ++i) {
        unsigned char limitLow = i == 1 ? low : 0x80;
        unsigned char limitHigh = i == 1 ? high : 0xBF;
        if (p[i] < limitLow || p[i] > limitHigh)
            return 0;  // a NUL fails here too, so the scan stops at the terminator
    }
    return length;
}

bool IsValidUtf8(const char* text) {
    if (!text)
        return true;
    for (size_t i = 0; text[i] != 0;) {
        size_t length = WellFormedUtf8Length(text + i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

}  // namespace zem
