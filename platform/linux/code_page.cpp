// SPDX-License-Identifier: BSD-3-Clause
// MultiByteToWideChar and WideCharToMultiByte for the two code pages we need:
// Windows-1252 (CP_ACP) and UTF-8. Results, counts and errors follow Win32.
#include "platform/linux/cp1252.h"
#include "platform/linux/utf8_codec.h"
#include "platform/linux/win32_linux.h"

#include <climits>
#include <cstring>
#include <string>

using namespace zem::win32_linux;

namespace {

enum class CodePage { Ansi, Utf8, Unknown };

CodePage ResolveCodePage(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == 1252)
        return CodePage::Ansi;
    if (codePage == CP_UTF8)
        return CodePage::Utf8;
    return CodePage::Unknown;
}

// Collects output units: counts only when there is no buffer, otherwise stores
// up to the capacity and remembers that more would have come.
template <class T>
class OutputSink {
public:
    OutputSink(T* out, int capacity) : m_out(capacity > 0 ? out : nullptr), m_capacity(capacity) {}

    void Put(T value) {
        if (m_out) {
            if (m_count >= m_capacity) {
                m_overflow = true;
                return;
            }
            m_out[m_count] = value;
        }
        ++m_count;
    }

    // The Win32 result: the count, or 0 with the error set.
    int Finish() const {
        if (m_overflow) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        if (m_count > INT_MAX) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        return static_cast<int>(m_count);
    }

private:
    T* m_out;
    int64_t m_capacity;
    int64_t m_count = 0;
    bool m_overflow = false;
};

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

int Utf8ToUtf16(DWORD flags, const uint8_t* text, size_t count, OutputSink<WCHAR>& sink) {
    for (size_t i = 0; i < count;) {
        uint32_t codePoint;
        bool valid;
        i += DecodeUtf8(text + i, count - i, &codePoint, &valid);
        if (!valid && (flags & MB_ERR_INVALID_CHARS))
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
        if (codePoint >= 0x10000) {
            sink.Put(static_cast<WCHAR>(0xD800 + ((codePoint - 0x10000) >> 10)));
            sink.Put(static_cast<WCHAR>(0xDC00 + ((codePoint - 0x10000) & 0x3FF)));
        } else {
            sink.Put(static_cast<WCHAR>(codePoint));
        }
    }
    return sink.Finish();
}

int Utf16ToUtf8(DWORD flags, const WCHAR* wide, size_t count, OutputSink<char>& sink) {
    for (size_t i = 0; i < count;) {
        uint32_t codePoint;
        bool valid;
        i += DecodeUtf16(wide + i, count - i, &codePoint, &valid);
        if (!valid && (flags & WC_ERR_INVALID_CHARS))
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
        uint8_t bytes[4];
        size_t length = EncodeUtf8(codePoint, bytes);
        for (size_t k = 0; k < length; ++k)
            sink.Put(static_cast<char>(bytes[k]));
    }
    return sink.Finish();
}

int Utf16ToAnsi(DWORD flags, const WCHAR* wide, size_t count, LPCSTR defaultChar, BOOL* usedDefault,
                OutputSink<char>& sink) {
    char fallback = defaultChar ? defaultChar[0] : '?';
    bool bestFit = (flags & WC_NO_BEST_FIT_CHARS) == 0;
    for (size_t i = 0; i < count; ++i) {
        int byte = WideToCp1252(wide[i], bestFit);
        if (byte < 0 && usedDefault)
            *usedDefault = TRUE;
        sink.Put(byte < 0 ? fallback : static_cast<char>(byte));
    }
    return sink.Finish();
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR wide, int wideChars) {
    if (!text || bytes == 0 || wideChars < 0 || (!wide && wideChars > 0))
        return Fail(ERROR_INVALID_PARAMETER);
    // A negative length means the text ends at its NUL, which is converted too.
    size_t count = bytes < 0 ? std::strlen(text) + 1 : static_cast<size_t>(bytes);
    auto input = reinterpret_cast<const uint8_t*>(text);
    OutputSink<WCHAR> sink(wide, wideChars);
    switch (ResolveCodePage(codePage)) {
    case CodePage::Utf8:
        if (flags & ~MB_ERR_INVALID_CHARS)
            return Fail(ERROR_INVALID_FLAGS);
        return Utf8ToUtf16(flags, input, count, sink);
    case CodePage::Ansi:
        if ((flags & MB_PRECOMPOSED) && (flags & MB_COMPOSITE))
            return Fail(ERROR_INVALID_FLAGS);
        for (size_t i = 0; i < count; ++i)
            sink.Put(Cp1252ToWide(input[i]));
        return sink.Finish();
    case CodePage::Unknown:
        break;
    }
    return Fail(ERROR_INVALID_PARAMETER);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideChars, LPSTR text, int bytes,
                        LPCSTR defaultChar, BOOL* usedDefault) {
    if (!wide || wideChars == 0 || bytes < 0 || (!text && bytes > 0))
        return Fail(ERROR_INVALID_PARAMETER);
    size_t count = wideChars < 0 ? std::char_traits<WCHAR>::length(wide) + 1 : static_cast<size_t>(wideChars);
    OutputSink<char> sink(text, bytes);
    switch (ResolveCodePage(codePage)) {
    case CodePage::Utf8:
        if (defaultChar || usedDefault)
            return Fail(ERROR_INVALID_PARAMETER);
        if (flags & ~WC_ERR_INVALID_CHARS)
            return Fail(ERROR_INVALID_FLAGS);
        return Utf16ToUtf8(flags, wide, count, sink);
    case CodePage::Ansi:
        if (usedDefault)
            *usedDefault = FALSE;
        return Utf16ToAnsi(flags, wide, count, defaultChar, usedDefault, sink);
    case CodePage::Unknown:
        break;
    }
    return Fail(ERROR_INVALID_PARAMETER);
}
