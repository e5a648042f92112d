// SPDX-License-Identifier: BSD-3-Clause
// zemtool's entry point: keeps the standard descriptors taken, turns the
// process's command line into UTF-8 text and checks standard output at the end.
#include "tools/zemtool/zemtool.h"

#include "tools/zemtool/std_streams.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "tools/zemtool/terminal.h"
#include "tools/zemtool/utf_text.h"

#include <windows.h>

// The UTF-16 command line, so that file names outside the ANSI code page work.
int wmain(int argc, wchar_t** argv) {
    // Lets a console show the UTF-8 that zemtool prints.
    SetConsoleOutputCP(CP_UTF8);
    zemtool::UseBinaryStandardStreams();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(zemtool::Utf8FromWide(zemtool::WideText(argv[i])));
    return zemtool::CloseStandardOutput(std::cerr, RunZemtool(args, std::cin, std::cout, std::cerr));
}
#else
int main(int argc, char** argv) {
    zemtool::KeepStandardDescriptorsTaken();
    std::vector<std::string> args(argv + 1, argv + argc);
    return zemtool::CloseStandardOutput(std::cerr, RunZemtool(args, std::cin, std::cout, std::cerr));
}
#endif
