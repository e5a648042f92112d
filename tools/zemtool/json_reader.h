// SPDX-License-Identifier: BSD-3-Clause
// A strict reader for one flat JSON object per line, as batch job files and
// manifests hold them: string, number, true, false and null members; nested
// objects and arrays are refused.
#pragma once

#include <map>
#include <string>

namespace zemtool {

struct JsonValue {
    enum Kind { String, Number, Bool, Null } kind = Null;
    std::string text;   // a string's value, or a number as written
    bool flag = false;  // a Bool's value
};

using JsonObject = std::map<std::string, JsonValue>;

// Parses `line` (surrounding white space allowed). False with what is wrong
// and at which column (1-based) in `problem`.
bool ParseJsonObject(const std::string& line, JsonObject* object, std::string* problem);

}  // namespace zemtool
