// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/json_writer.h"

#include "tools/zemtool/utf_text.h"

namespace zemtool {
namespace {

const char* ShortEscape(unsigned char byte) {
    switch (byte) {
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '\b': return "\\b";
    case '\f': return "\\f";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    }
    return nullptr;
}

void AppendControl(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

}  // namespace

std::string JsonQuote(const std::string& text) {
    std::string out = "\"";
    size_t pos = 0;
    while (pos < text.size()) {
        const unsigned char byte = static_cast<unsigned char>(text[pos]);
        if (const char* escape = ShortEscape(byte)) {
            out += escape;
            ++pos;
        } else if (byte < 0x20 || byte == 0x7F) {
            AppendControl(out, byte);
            ++pos;
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++pos;
        } else if (size_t length = WellFormedUtf8Length(text, pos)) {
            out.append(text, pos, length);
            pos += length;
        } else {
            out += "\\ufffd";
            ++pos;
        }
    }
    out += '"';
    return out;
}

JsonObjectWriter::JsonObjectWriter(std::ostream& out) : m_out(out) { m_out << "{"; }

JsonObjectWriter::~JsonObjectWriter() { m_out << (m_first ? "}\n" : "\n}\n"); }

void JsonObjectWriter::StartMember(const std::string& key) {
    m_out << (m_first ? "\n  " : ",\n  ") << JsonQuote(key) << ": ";
    m_first = false;
}

void JsonObjectWriter::AddInteger(const std::string& key, int64_t value) {
    StartMember(key);
    m_out << value;
}

void JsonObjectWriter::AddString(const std::string& key, const std::string& value) {
    StartMember(key);
    m_out << JsonQuote(value);
}

}  // namespace zemtool
