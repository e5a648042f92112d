// SPDX-License-Identifier: BSD-3-Clause
// Text as zemtool prints names and messages: one line, whatever it holds.
#pragma once

#include <string>

namespace zemtool {

// Control characters (below 0x20, and 0x7F) become \n, \r, \t or \xHH; the
// rest, UTF-8 included, stays as it is.
std::string PrintableText(const std::string& text);

}  // namespace zemtool
