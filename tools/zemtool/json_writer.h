// SPDX-License-Identifier: BSD-3-Clause
// A small writer for one flat JSON object: string and integer members, in the
// order they are added, one member a line.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace zemtool {

// `text` as a quoted JSON string. Control characters are escaped; bytes that
// are not well-formed UTF-8 become U+FFFD so the output is always valid JSON.
std::string JsonQuote(const std::string& text);

class JsonObjectWriter {
public:
    explicit JsonObjectWriter(std::ostream& out);
    ~JsonObjectWriter();  // closes the object
    JsonObjectWriter(const JsonObjectWriter&) = delete;
    JsonObjectWriter& operator=(const JsonObjectWriter&) = delete;

    void AddInteger(const std::string& key, int64_t value);
    void AddString(const std::string& key, const std::string& value);

private:
    void StartMember(const std::string& key);

    std::ostream& m_out;
    bool m_first = true;
};

}  // namespace zemtool
