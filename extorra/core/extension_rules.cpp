// SPDX-License-Identifier: BSD-3-Clause
#include "extorra/core/extension_rules.h"

namespace extorra {

namespace {
constexpr std::size_t Compared_Tail = 4;
constexpr const char* Every_File_Pattern = ".*";
}  // namespace

bool Has_Extension_Length(const std::string& text) { return text.size() == Extension_Length; }

std::string Lower_Ascii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string Extension_Pattern(const std::string& extension) {
    if (extension.empty() || extension.front() != '.')
        return Lower_Ascii("." + extension);
    return Lower_Ascii(extension);
}

std::string Last_Four(const std::string& name) {
    if (name.size() <= Compared_Tail)
        return name;
    return name.substr(name.size() - Compared_Tail);
}

bool Matches_Extension(const std::string& name, const std::string& pattern) {
    if (pattern == Every_File_Pattern)
        return true;
    return Lower_Ascii(Last_Four(name)) == pattern;
}

std::string Renamed_Path(const std::string& entry, const std::string& new_extension) {
    std::size_t kept = entry.size() >= Extension_Length ? entry.size() - Extension_Length : 0;
    return entry.substr(0, kept) + new_extension;
}

}  // namespace extorra
