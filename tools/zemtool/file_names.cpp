// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/file_names.h"

#include "decode/decoder_factory.h"
#include "io/path_text.h"
#include "io/win32_file.h"
#include "tools/zemtool/utf_text.h"

using namespace zem;

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
#ifdef _WIN32
    WString wide = WideFromUtf8(path);
    for (WCHAR& c : wide) {
        if (c == WTXT('/'))
            c = WTXT('\\');
    }
#else
    // The name's bytes as they are, UTF-8 or not (an old collection's
    // Latin-1 names): the library hands them back to the system unchanged.
    WString wide;
    WidePathFromUtf8(path.c_str(), &wide);
#endif
    return wide;
}

std::string SystemPath(const WCHAR* libraryPath) {
#ifdef _WIN32
    std::string path = Utf8FromWide(WString(libraryPath));
#else
    std::string path = Utf8PathFromWide(WString(libraryPath));
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
#endif
    return path;
}

bool IsLinkPath(const std::string& path) { return path != "-" && IsLinkFile(LibraryPath(path).c_str()); }

bool CanOpenFile(const std::string& path) {
    CWin32File file;
    const WString wide = LibraryPath(path);
    if (file.OpenForReading(wide.c_str()) != 0)
        return false;
    file.Close();
    return true;
}

bool CanWriteFile(const std::string& path) {
    CWin32File file;
    const WString wide = LibraryPath(path);
    return file.Open(wide.c_str()) == 0 && !file.IsReadOnly();
}

}  // namespace zemtool
