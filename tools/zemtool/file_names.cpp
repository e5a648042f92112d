// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/file_names.h"

#include <zem/zem.h>

#include <fstream>
#include <system_error>

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

std::filesystem::path SystemPath(const std::string& path) {
#ifdef _WIN32
    std::filesystem::path name = std::filesystem::u8path(path);
    name.make_preferred();
    return name;
#else
    return std::filesystem::path(path);
#endif
}

bool IsLinkPath(const std::string& path) { return path != "-" && zem_is_link_file(path.c_str()) == 1; }

bool CanOpenFile(const std::string& path) {
    const std::filesystem::path name = SystemPath(path);
    std::error_code error;
    if (std::filesystem::is_directory(name, error))
        return false;
    return std::ifstream(name, std::ios::binary).is_open();
}

}  // namespace zemtool
