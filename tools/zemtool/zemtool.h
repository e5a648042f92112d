// SPDX-License-Identifier: BSD-3-Clause
// The command logic of zemtool, separate from main() so that tests can run
// every command in-process on their own streams.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

// Exit codes of zemtool.
enum ZemtoolExit : int {
    ZEMTOOL_OK = 0,
    ZEMTOOL_FAILED = 1,  // the library refused a file or an operation
    ZEMTOOL_USAGE = 2,   // the command line itself is wrong
};

// Runs one zemtool command. `args` are the UTF-8 arguments after the program
// name ("info", "--json", "a.zem"). Results go to `out`, failures to `err`.
int RunZemtool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// The same with the standard input that '-' stands for.
int RunZemtool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
