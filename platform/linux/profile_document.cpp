// SPDX-License-Identifier: BSD-3-Clause
#include "platform/linux/profile_document.h"

#include <climits>

namespace zem::win32_linux {

namespace {

const WString kCrLf = WTXT("\r\n");

enum class LineKind { Blank, Comment, Header, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    WString name;
    bool hasValue = false;
    WString value;
};

bool IsBlank(WCHAR c) { return c == ' ' || c == '\t' || c == '\r'; }

// Simple case folding for the scripts whose letters have one-to-one cases in
// the Basic Multilingual Plane: Latin, Greek and Cyrillic.
WCHAR FoldCase(WCHAR c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<WCHAR>(c + 0x20);
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Pairs: even upper, odd lower, except 0x139..0x148 and 0x179..0x17E
        // where the upper case is odd.
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        bool isUpper = oddUpper ? (c & 1) != 0 : (c & 1) == 0;
        return isUpper ? static_cast<WCHAR>(c + 1) : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return static_cast<WCHAR>(c + 0x20);
    if (c >= 0x410 && c <= 0x42F)
        return static_cast<WCHAR>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<WCHAR>(c + 0x50);
    return c;
}

bool SameName(const WString& a, const WString& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

ParsedLine ParseLine(const WString& raw) {
    ParsedLine line;
    WString text = TrimBlanks(raw);
    if (text.empty())
        return line;
    if (text[0] == ';') {
        line.kind = LineKind::Comment;
        return line;
    }
    size_t close = text.rfind(']');
    if (text[0] == '[' && close != WString::npos) {
        line.kind = LineKind::Header;
        line.name = TrimBlanks(text.substr(1, close - 1));
        return line;
    }
    line.kind = LineKind::Entry;
    size_t equals = text.find('=');
    line.name = TrimBlanks(text.substr(0, equals));
    if (equals != WString::npos) {
        line.hasValue = true;
        line.value = TrimBlanks(text.substr(equals + 1));
    }
    return line;
}

WString Decode(UINT codePage, const uint8_t* bytes, size_t count) {
    if (count == 0 || count > INT_MAX)
        return WString();
    auto text = reinterpret_cast<const char*>(bytes);
    int units = MultiByteToWideChar(codePage, 0, text, static_cast<int>(count), nullptr, 0);
    WString result(static_cast<size_t>(units > 0 ? units : 0), 0);
    if (units > 0)
        MultiByteToWideChar(codePage, 0, text, static_cast<int>(count), &result[0], units);
    return result;
}

void AppendWithCodePage(UINT codePage, const WString& text, std::vector<uint8_t>& out) {
    if (text.empty() || text.size() > INT_MAX)
        return;
    int length = static_cast<int>(text.size());
    int bytes = WideCharToMultiByte(codePage, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return;
    std::string encoded(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text.c_str(), length, &encoded[0], bytes, nullptr, nullptr);
    out.insert(out.end(), encoded.begin(), encoded.end());
}

// A line break of the file: the code unit '\n', with a '\r' in front of it
// when there is one. UTF-16 units are two bytes; the other encodings keep
// both characters in single bytes that no multi-byte sequence uses.
bool IsUnit(const std::vector<uint8_t>& bytes, size_t at, size_t unit, uint8_t value) {
    return bytes[at] == value && (unit == 1 || bytes[at + 1] == 0);
}

size_t FindNewline(const std::vector<uint8_t>& bytes, size_t start, size_t unit) {
    for (size_t i = start; i + unit <= bytes.size(); i += unit) {
        if (IsUnit(bytes, i, unit, '\n'))
            return i;
    }
    return bytes.size();
}

}  // namespace

WString TrimBlanks(const WString& text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

ProfileDocument ProfileDocument::Parse(const std::vector<uint8_t>& bytes) {
    ProfileDocument document;
    size_t start = 0;
    size_t unit = 1;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        document.m_encoding = Encoding::Utf16;
        start = unit = 2;
    } else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        document.m_encoding = Encoding::Utf8;
        start = 3;
    }
    while (start < bytes.size()) {
        const size_t newline = FindNewline(bytes, start, unit);
        const bool found = newline < bytes.size();
        const bool crlf = found && newline >= start + unit && IsUnit(bytes, newline - unit, unit, '\r');
        const size_t stop = crlf ? newline - unit : newline;
        const WString ending = !found ? WString() : crlf ? kCrLf : WString(WTXT("\n"));
        document.AddReadLine(bytes.data() + start, bytes.data() + stop, ending);
        start = found ? newline + unit : bytes.size();
    }
    return document;
}

void ProfileDocument::AddReadLine(const uint8_t* begin, const uint8_t* end, const WString& ending) {
    Line line;
    line.bytes.assign(begin, end);
    line.ending = ending;
    const size_t count = line.bytes.size();
    if (m_encoding == Encoding::Utf16) {
        // An odd byte at the end of the file belongs to no character.
        for (size_t i = 0; i + 1 < count; i += 2)
            line.text += static_cast<WCHAR>(line.bytes[i] | (line.bytes[i + 1] << 8));
    } else {
        line.text = Decode(m_encoding == Encoding::Utf8 ? CP_UTF8 : CP_ACP, line.bytes.data(), count);
    }
    m_lines.push_back(std::move(line));
}

void ProfileDocument::AppendEncoded(const WString& text, std::vector<uint8_t>* bytes) const {
    if (m_encoding == Encoding::Utf16) {
        for (WCHAR c : text) {
            bytes->push_back(static_cast<uint8_t>(c & 0xFF));
            bytes->push_back(static_cast<uint8_t>(c >> 8));
        }
        return;
    }
    AppendWithCodePage(m_encoding == Encoding::Utf8 ? CP_UTF8 : CP_ACP, text, *bytes);
}

std::vector<uint8_t> ProfileDocument::Serialize() const {
    std::vector<uint8_t> bytes;
    if (m_encoding == Encoding::Utf16)
        bytes = {0xFF, 0xFE};
    else if (m_encoding == Encoding::Utf8)
        bytes = {0xEF, 0xBB, 0xBF};
    for (const Line& line : m_lines) {
        if (line.edited)
            AppendEncoded(line.text, &bytes);
        else
            bytes.insert(bytes.end(), line.bytes.begin(), line.bytes.end());
        AppendEncoded(line.ending, &bytes);
    }
    return bytes;
}

std::vector<WString> ProfileDocument::SectionNames() const {
    std::vector<WString> names;
    for (const Line& line : m_lines) {
        ParsedLine parsed = ParseLine(line.text);
        if (parsed.kind == LineKind::Header && !parsed.name.empty())
            names.push_back(parsed.name);
    }
    return names;
}

bool ProfileDocument::FindSection(const WString& section, Range* range) const {
    WString wanted = TrimBlanks(section);
    bool inside = wanted.empty();  // the nameless section starts at the top
    range->header = WString::npos;
    range->begin = 0;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        ParsedLine parsed = ParseLine(m_lines[i].text);
        if (parsed.kind != LineKind::Header)
            continue;
        if (inside) {
            range->end = i;
            return true;
        }
        if (SameName(parsed.name, wanted)) {
            inside = true;
            range->header = i;
            range->begin = i + 1;
        }
    }
    range->end = m_lines.size();
    return inside;
}

bool ProfileDocument::FindKey(const Range& range, const WString& key, size_t* line) const {
    WString wanted = TrimBlanks(key);
    for (size_t i = range.begin; i < range.end; ++i) {
        ParsedLine parsed = ParseLine(m_lines[i].text);
        if (parsed.kind == LineKind::Entry && SameName(parsed.name, wanted)) {
            *line = i;
            return true;
        }
    }
    return false;
}

bool ProfileDocument::KeyNames(const WString& section, std::vector<WString>* names) const {
    Range range;
    if (!FindSection(section, &range))
        return false;
    for (size_t i = range.begin; i < range.end; ++i) {
        ParsedLine parsed = ParseLine(m_lines[i].text);
        if (parsed.kind == LineKind::Entry && !parsed.name.empty())
            names->push_back(parsed.name);
    }
    return true;
}

bool ProfileDocument::FindValue(const WString& section, const WString& key, WString* value) const {
    Range range;
    size_t line;
    if (!FindSection(section, &range) || !FindKey(range, key, &line))
        return false;
    ParsedLine parsed = ParseLine(m_lines[line].text);
    *value = parsed.value;
    return parsed.hasValue;
}

void ProfileDocument::InsertLine(size_t at, const WString& text) {
    // The line before may be the last of a file that ends without a newline.
    if (at > 0 && m_lines[at - 1].ending.empty()) {
        Line& last = m_lines[at - 1];
        last.ending = kCrLf;
        // An odd byte at the end of a UTF-16 file would shift every unit
        // behind it, so that line is written from its text instead.
        if (m_encoding == Encoding::Utf16 && last.bytes.size() % 2 != 0)
            last.edited = true;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), Line{text, kCrLf, {}, true});
}

bool ProfileDocument::SetValue(const WString& section, const WString& key, const WString& value) {
    Range range;
    WString keyName = TrimBlanks(key);
    if (!FindSection(section, &range)) {
        InsertLine(m_lines.size(), WTXT("[") + TrimBlanks(section) + WTXT("]"));
        InsertLine(m_lines.size(), keyName + WTXT("=") + value);
        return true;
    }
    size_t line;
    if (FindKey(range, keyName, &line)) {
        // The key keeps the spelling it has in the file.
        WString text = ParseLine(m_lines[line].text).name + WTXT("=") + value;
        if (text == m_lines[line].text)
            return false;
        m_lines[line].text = text;
        m_lines[line].edited = true;
        return true;
    }
    // New keys go behind the last line that is not blank, so that blank lines
    // separating this section from the next stay where they are.
    size_t at = range.end;
    while (at > range.begin && ParseLine(m_lines[at - 1].text).kind == LineKind::Blank)
        --at;
    InsertLine(at, keyName + WTXT("=") + value);
    return true;
}

bool ProfileDocument::DeleteKey(const WString& section, const WString& key) {
    Range range;
    size_t line;
    if (!FindSection(section, &range) || !FindKey(range, key, &line))
        return false;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(line));
    return true;
}

bool ProfileDocument::DeleteSection(const WString& section) {
    Range range;
    if (!FindSection(section, &range))
        return false;
    size_t first = range.header == WString::npos ? range.begin : range.header;
    if (first == range.end)
        return false;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(first),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(range.end));
    return true;
}

}  // namespace zem::win32_linux
