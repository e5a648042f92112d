#include "tools/zemtool/file_names.h"

#include "tessarine/codec/win32_file.h"
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

bool CanOpenFile(const std::string& path) {
    CWin32File file;
    const WString wide = WideFromUtf8(path);
    if (file.Open(wide.c_str()) != 0)
        return false;
    file.Close();
    return true;
}

}  // namespace zemtool
