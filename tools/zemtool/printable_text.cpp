// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/printable_text.h"

namespace zemtool {

std::string PrintableText(const std::string& text) {
    static const char kHexDigits[] = "0123456789abcdef";
    std::string out;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (byte < 0x20 || byte == 0x7F)
            out += std::string("\\x") + kHexDigits[byte >> 4] + kHexDigits[byte & 0x0F];
        else
            out += c;
    }
    return out;
}

}  // namespace zemtool
