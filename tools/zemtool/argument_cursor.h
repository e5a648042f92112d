// SPDX-License-Identifier: BSD-3-Clause
// Walks a command's arguments the way every zemtool command reads them:
// options start with '-' until a lone "--", after which everything is an
// operand; a lone "-" (standard input or output) is always an operand.
#pragma once

#include <string>
#include <vector>

namespace zemtool {

class ArgumentCursor {
public:
    explicit ArgumentCursor(const std::vector<std::string>& args) : m_args(args) {}

    // Steps to the next argument, passing over the "--" that ends the options;
    // false at the end.
    bool Next();
    const std::string& Current() const { return m_args[m_current]; }
    bool IsOption() const { return m_isOption; }
    // True when the current argument is the option `name` (or `other`).
    bool Is(const char* name, const char* other = nullptr) const;
    // Takes the argument after the current option as its value (the option
    // stays current); false when there is none.
    bool TakeValue(std::string* value);

private:
    const std::vector<std::string>& m_args;
    size_t m_index = 0;    // the last argument taken
    size_t m_current = 0;  // the argument Next stepped to
    bool m_started = false;
    bool m_optionsEnded = false;
    bool m_isOption = false;
};

}  // namespace zemtool
