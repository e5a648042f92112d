// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/argument_cursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zemtool::ArgumentCursor;

// Walks `args`, taking a value after every "--value" option; writes what the
// walk saw as "o:NAME" for options, "v:VALUE" for values, "f:TEXT" for operands
// and "missing" where a value was absent.
std::string Walk(const std::vector<std::string>& args) {
    ArgumentCursor cursor(args);
    std::string seen;
    std::string value;
    while (cursor.Next()) {
        if (!cursor.IsOption()) {
            seen += "f:" + cursor.Current() + " ";
        } else if (cursor.Is("--value", "-v")) {
            seen += cursor.TakeValue(&value) ? "o:" + cursor.Current() + " v:" + value + " " : "missing ";
        } else {
            seen += "o:" + cursor.Current() + " ";
        }
    }
    return seen;
}

TEST(ArgumentCursor, OptionsOperandsValuesAndTheEndOfOptions) {
    struct Case {
        std::vector<std::string> args;
        std::string seen;
    } cases[] = {
        {{}, ""},
        {{"a.zem", "-q"}, "f:a.zem o:-q "},
        {{"-", "--"}, "f:- "},                                  // a lone "-" is standard input
        {{"--", "-q", "--"}, "f:-q f:-- "},                     // one "--" ends the options
        {{"--value", "-q", "x"}, "o:--value v:-q f:x "},       // a value may start with '-'
        {{"-v", "--"}, "o:-v v:-- "},                           // even "--" can be a value
        {{"x", "--value"}, "f:x missing "},
        {{"--", "--value", "3"}, "f:--value f:3 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.seen, Walk(c.args)) << ::testing::PrintToString(c.args);
}

}  // namespace
