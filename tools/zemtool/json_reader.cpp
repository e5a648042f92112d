// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/json_reader.h"

#include <cstdint>

namespace zemtool {
namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : m_text(text) {}

    bool Object(JsonObject* object) {
        SkipSpace();
        if (!Take('{'))
            return Fail("expected '{'");
        SkipSpace();
        if (Take('}'))
            return End();
        for (;;) {
            SkipSpace();
            std::string key;
            if (!String(&key))
                return false;
            SkipSpace();
            if (!Take(':'))
                return Fail("expected ':'");
            SkipSpace();
            JsonValue value;
            if (!Value(&value))
                return false;
            if (!object->emplace(key, value).second)
                return Fail("the key \"" + key + "\" appears twice");
            SkipSpace();
            if (Take('}'))
                return End();
            if (!Take(','))
                return Fail("expected ',' or '}'");
        }
    }

    const std::string& Problem() const { return m_problem; }

private:
    bool End() {
        SkipSpace();
        return m_pos == m_text.size() || Fail("text after the object");
    }

    bool Fail(const std::string& what) {
        if (m_problem.empty())
            m_problem = what + " at column " + std::to_string(m_pos + 1);
        return false;
    }

    bool Take(char c) {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool TakeWord(const char* word) {
        const std::string w(word);
        if (m_text.compare(m_pos, w.size(), w) != 0)
            return false;
        m_pos += w.size();
        return true;
    }

    void SkipSpace() {
        while (m_pos < m_text.size() &&
               (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\r' || m_text[m_pos] == '\n'))
            ++m_pos;
    }

    bool Value(JsonValue* value) {
        if (m_pos >= m_text.size())
            return Fail("expected a value");
        const char c = m_text[m_pos];
        if (c == '"') {
            value->kind = JsonValue::String;
            return String(&value->text);
        }
        if (c == '{' || c == '[')
            return Fail("nested objects and arrays are not taken");
        if (TakeWord("true") || TakeWord("false")) {
            value->kind = JsonValue::Bool;
            value->flag = c == 't';
            return true;
        }
        if (TakeWord("null"))
            return true;
        return Number(value);
    }

    bool Digits() {
        const size_t start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9')
            ++m_pos;
        return m_pos > start;
    }

    // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
    bool Number(JsonValue* value) {
        const size_t start = m_pos;
        Take('-');
        if (Take('0')) {
        } else if (!Digits()) {
            return Fail("expected a value");
        }
        if (Take('.') && !Digits())
            return Fail("expected digits");
        if (Take('e') || Take('E')) {
            if (!Take('+'))
                Take('-');
            if (!Digits())
                return Fail("expected digits");
        }
        value->kind = JsonValue::Number;
        value->text = m_text.substr(start, m_pos - start);
        return true;
    }

    bool Hex4(uint32_t* unit) {
        *unit = 0;
        for (int i = 0; i < 4; ++i, ++m_pos) {
            if (m_pos >= m_text.size())
                return Fail("a \\u escape ends early");
            const char c = m_text[m_pos];
            const uint32_t digit = c >= '0' && c <= '9' ? uint32_t(c - '0')
                : c >= 'a' && c <= 'f'                  ? uint32_t(c - 'a' + 10)
                : c >= 'A' && c <= 'F'                  ? uint32_t(c - 'A' + 10)
                                                        : 16;
            if (digit == 16)
                return Fail("bad \\u escape");
            *unit = *unit * 16 + digit;
        }
        return true;
    }

    static void AppendUtf8(std::string* out, uint32_t code) {
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

    bool Escape(std::string* out) {
        if (m_pos >= m_text.size())
            return Fail("the text ends inside a string");
        const char c = m_text[m_pos++];
        switch (c) {
        case '"': *out += '"'; return true;
        case '\\': *out += '\\'; return true;
        case '/': *out += '/'; return true;
        case 'b': *out += '\b'; return true;
        case 'f': *out += '\f'; return true;
        case 'n': *out += '\n'; return true;
        case 'r': *out += '\r'; return true;
        case 't': *out += '\t'; return true;
        case 'u': break;
        default: --m_pos; return Fail("bad escape");
        }
        uint32_t unit = 0;
        if (!Hex4(&unit))
            return false;
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return Fail("a lone low surrogate");
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            uint32_t low = 0;
            if (!TakeWord("\\u") || !Hex4(&low) || low < 0xDC00 || low > 0xDFFF)
                return Fail("a high surrogate without its low one");
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, unit);
        return true;
    }

    bool String(std::string* out) {
        if (!Take('"'))
            return Fail("expected a string");
        for (;;) {
            if (m_pos >= m_text.size())
                return Fail("the text ends inside a string");
            const unsigned char c = static_cast<unsigned char>(m_text[m_pos++]);
            if (c == '"')
                return true;
            if (c < 0x20) {
                --m_pos;
                return Fail("a control character inside a string");
            }
            if (c == '\\') {
                if (!Escape(out))
                    return false;
            } else {
                *out += static_cast<char>(c);
            }
        }
    }

    const std::string& m_text;
    size_t m_pos = 0;
    std::string m_problem;
};

}  // namespace

bool ParseJsonObject(const std::string& line, JsonObject* object, std::string* problem) {
    Reader reader(line);
    object->clear();
    if (reader.Object(object))
        return true;
    *problem = reader.Problem();
    return false;
}

}  // namespace zemtool
