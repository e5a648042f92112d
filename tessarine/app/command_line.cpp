// SPDX-License-Identifier: BSD-3-Clause
#include "tessarine/app/dialog_texts.h"

namespace {

const WString kProgramName = WTXT("Tessarine.exe");

WString TrimSpacesAndQuotes(const WString& text) {
    const WString trimmed = WTXT(" \"");
    size_t first = text.find_first_not_of(trimmed);
    if (first == WString::npos)
        return WString();
    size_t last = text.find_last_not_of(trimmed);
    return text.substr(first, last - first + 1);
}

// Where the program's own path ends: at its closing quote when it is quoted,
// else at the first blank, as the system splits a command line.
size_t EndOfProgramPath(const WString& commandLine) {
    size_t start = commandLine.find_first_not_of(WTXT(" \t"));
    if (start == WString::npos)
        return commandLine.size();
    if (commandLine[start] == WCHAR('"')) {
        size_t quote = commandLine.find(WCHAR('"'), start + 1);
        return quote == WString::npos ? commandLine.size() : quote + 1;
    }
    size_t blank = commandLine.find_first_of(WTXT(" \t"), start);
    return blank == WString::npos ? commandLine.size() : blank;
}

}  // namespace

// Searching for the name alone would, for a renamed program, cut a fixed
// number of characters off the command line and take the rest, the remains
// of the program path, for a cue sheet.
WString CueSheetArgument(const WString& commandLine) {
    size_t name = commandLine.find(kProgramName);
    size_t end = name != WString::npos ? name + kProgramName.size() : EndOfProgramPath(commandLine);
    return TrimSpacesAndQuotes(commandLine.substr(end));
}
