// SPDX-License-Identifier: BSD-3-Clause
// What makes an extension text acceptable, which file names it matches, and
// what a matching file is renamed to.
#pragma once

#include <cstddef>
#include <string>

namespace extorra {

// Both boxes must hold exactly this many characters; spaces count.
constexpr std::size_t Extension_Length = 3;

bool Has_Extension_Length(const std::string& text);

// Lower-cases A to Z only. Names reach us in the ANSI code page, whose upper
// half differs between systems; extensions in use are plain ASCII.
std::string Lower_Ascii(std::string text);

// The text a search compares names against: a dot in front unless the text
// already begins with one, then lower-cased.
std::string Extension_Pattern(const std::string& extension);

// The last four characters of a name; the whole name when it is shorter.
std::string Last_Four(const std::string& name);

// A file name matches when its last four characters, lower-cased, equal the
// pattern; the pattern ".*" matches every file.
bool Matches_Extension(const std::string& name, const std::string& pattern);

// The entry with its last three characters replaced by the new extension,
// exactly as typed.
std::string Renamed_Path(const std::string& entry, const std::string& new_extension);

}  // namespace extorra
