// SPDX-License-Identifier: BSD-3-Clause
#include "tests/tools/zemtool_harness.h"

#include "tools/zemtool/zemtool.h"

#include <sstream>

namespace tool_tests {

RunResult RunTool(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int exitCode = RunZemtool(args, out, err);
    return {exitCode, out.str(), err.str()};
}

std::string PathIn(const testing_support::TempDir& dir, const std::string& name) {
    return dir.File(name).u8string();
}

std::string WriteIn(const testing_support::TempDir& dir, const std::string& name,
                    const testing_support::Bytes& bytes) {
    testing_support::WriteFileBytes(dir.File(name), bytes);
    return PathIn(dir, name);
}

testing_support::Bytes LinkText(const std::string& imagePath, int64_t start, int64_t finish) {
    const std::string text = "[Quillon Image Link File]\r\nImage File=" + imagePath +
                             "\r\nStart Block=" + std::to_string(start) + "\r\nFinish Block=" +
                             std::to_string(finish) + "\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
    return testing_support::BytesOf(text);
}

namespace {

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : m_text(text) {}

    bool ReadObject(std::map<std::string, JsonValue>& members, std::vector<std::string>& order) {
        if (!Expect('{'))
            return false;
        if (Peek() == '}')
            return Expect('}') && AtEnd();
        do {
            std::string key;
            JsonValue value;
            if (!ReadString(key) || !Expect(':') || !ReadValue(value) || members.count(key))
                return false;
            members[key] = value;
            order.push_back(key);
        } while (Accept(','));
        return Expect('}') && AtEnd();
    }

private:
    void SkipSpace() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\n' ||
                                         m_text[m_pos] == '\r' || m_text[m_pos] == '\t'))
            ++m_pos;
    }
    char Peek() {
        SkipSpace();
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    bool Accept(char c) {
        if (Peek() != c)
            return false;
        ++m_pos;
        return true;
    }
    bool Expect(char c) { return Accept(c); }
    bool AtEnd() {
        SkipSpace();
        return m_pos == m_text.size();
    }

    bool ReadValue(JsonValue& value) {
        if (Peek() == '"') {
            value.isString = true;
            return ReadString(value.text);
        }
        return ReadNumber(value.number);
    }

    bool ReadNumber(int64_t& number) {
        SkipSpace();
        const size_t start = m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '-')
            ++m_pos;
        const size_t digits = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9')
            ++m_pos;
        if (m_pos == digits || (m_text[digits] == '0' && m_pos - digits > 1))
            return false;
        number = std::stoll(m_text.substr(start, m_pos - start));
        return true;
    }

    static void AppendUtf8(std::string& out, uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool ReadEscape(std::string& out) {
        if (m_pos >= m_text.size())
            return false;
        const char c = m_text[m_pos++];
        const std::string simple = "\"\\/bfnrt";
        const std::string meaning = "\"\\/\b\f\n\r\t";
        if (simple.find(c) != std::string::npos) {
            out += meaning[simple.find(c)];
            return true;
        }
        if (c != 'u' || m_pos + 4 > m_text.size())
            return false;
        const std::string hex = m_text.substr(m_pos, 4);
        if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return false;
        m_pos += 4;
        AppendUtf8(out, static_cast<uint32_t>(std::stoul(hex, nullptr, 16)));
        return true;
    }

    bool ReadString(std::string& out) {
        if (!Expect('"'))
            return false;
        while (m_pos < m_text.size()) {
            const unsigned char c = static_cast<unsigned char>(m_text[m_pos++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return false;
            if (c == '\\') {
                if (!ReadEscape(out))
                    return false;
            } else {
                out += static_cast<char>(c);
            }
        }
        return false;
    }

    const std::string& m_text;
    size_t m_pos = 0;
};

}  // namespace

bool ParseFlatJson(const std::string& json, std::map<std::string, JsonValue>& members,
                   std::vector<std::string>& order) {
    return JsonReader(json).ReadObject(members, order);
}

}  // namespace tool_tests

namespace tool_tests {

using testing_support::Bytes;

Bytes RawZemTag(const std::vector<RawItem>& items, uint32_t version) {
    Bytes tag;
    for (const RawItem& item : items) {
        testing_support::PutU32(tag, static_cast<uint32_t>(item.value.size()));
        testing_support::PutU32(tag, item.flags);
        testing_support::PutText(tag, item.name);
        tag.push_back(0);
        tag.insert(tag.end(), item.value.begin(), item.value.end());
    }
    const uint32_t size = static_cast<uint32_t>(tag.size()) + 32;
    testing_support::PutText(tag, "ZEMTAGEX");
    testing_support::PutU32(tag, version);
    testing_support::PutU32(tag, size);
    testing_support::PutU32(tag, static_cast<uint32_t>(items.size()));
    testing_support::PutU32(tag, 0x40000000u);
    tag.insert(tag.end(), 8, 0);
    return tag;
}

Bytes Id3v1Bytes(const Id3v1Fields& fields) {
    Bytes record(128, 0);
    auto put = [&record](size_t offset, size_t width, const std::string& text) {
        for (size_t i = 0; i < width && i < text.size(); ++i)
            record[offset + i] = static_cast<uint8_t>(text[i]);
    };
    put(0, 3, "TAG");
    put(3, 30, fields.title);
    put(33, 30, fields.artist);
    put(63, 30, fields.album);
    put(93, 4, fields.year);
    put(97, 28, fields.comment);
    record[126] = fields.track;
    record[127] = fields.genre;
    return record;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

}  // namespace tool_tests
