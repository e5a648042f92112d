#include "tools/zemtool/file_names.h"

#include "io/win32_file.h"
#include "tools/zemtool/utf_text.h"

namespace zemtool {

std::string LowerExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? path : path.substr(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

WString LibraryPath(const std::string& path) {
    WString wide = WideFromUtf8(path);
#ifdef _WIN32
    for (WCHAR& c : wide) {
        if (c == WTXT('/'))
            c = WTXT('\\');
    }
#endif
    return wide;
}

std::string SystemPath(const WCHAR* libraryPath) {
    std::string path = Utf8FromWide(WString(libraryPath));
#ifndef _WIN32
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
#endif
    return path;
}

bool CanOpenFile(const std::string& path) {
    CWin32File file;
    const WString wide = LibraryPath(path);
    if (file.OpenForReading(wide.c_str()) != 0)
        return false;
    file.Close();
    return true;
}

}  // namespace zemtool
