// SPDX-License-Identifier: BSD-3-Clause
// An INI file as lines of text, edited in place so that comments, blank
// lines and the order of everything untouched survive a write. Lines that an
// edit does not change are written back as the bytes they were read from, so
// that bytes the encoding cannot decode survive too.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zem::win32_linux {

class ProfileDocument {
public:
    // Decodes file bytes: UTF-16LE or UTF-8 when a byte-order mark says so,
    // the ANSI code page otherwise. The same encoding is used to write back.
    static ProfileDocument Parse(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> Serialize() const;

    // Names compare without regard to case and to surrounding blanks. The
    // lines before the first section header form a section without a name.
    std::vector<WString> SectionNames() const;
    // False when the section is missing.
    bool KeyNames(const WString& section, std::vector<WString>* names) const;
    // False when the key is missing or has no '=' (then it has no value).
    bool FindValue(const WString& section, const WString& key, WString* value) const;

    // Each returns whether the document changed.
    bool SetValue(const WString& section, const WString& key, const WString& value);
    bool DeleteKey(const WString& section, const WString& key);
    bool DeleteSection(const WString& section);

private:
    enum class Encoding { Ansi, Utf8, Utf16 };
    struct Line {
        WString text;
        WString ending;              // "\r\n", "\n" or nothing on a last line without one
        std::vector<uint8_t> bytes;  // the text as read, written back while `edited` is false
        bool edited = false;
    };
    struct Range {
        size_t header;  // index of the header line, or npos for the nameless section
        size_t begin;   // first line of the body
        size_t end;     // one past the last line of the body
    };

    bool FindSection(const WString& section, Range* range) const;
    bool FindKey(const Range& range, const WString& key, size_t* line) const;
    void InsertLine(size_t at, const WString& text);
    void AddReadLine(const uint8_t* begin, const uint8_t* end, const WString& ending);
    void AppendEncoded(const WString& text, std::vector<uint8_t>* bytes) const;

    std::vector<Line> m_lines;
    Encoding m_encoding = Encoding::Ansi;
};

// Blanks (spaces, tabs, stray carriage returns) removed from both ends.
WString TrimBlanks(const WString& text);

}  // namespace zem::win32_linux
