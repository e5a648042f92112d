// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/convert/utf8_file.h"

#ifdef _WIN32
#include <cstring>
#include <filesystem>
#include <system_error>
#include <wchar.h>
#endif

namespace zemtool {

std::FILE* OpenUtf8File(const std::string& path, const char* mode) {
#ifdef _WIN32
    // Malformed UTF-8 names no file; the conversion throws on it.
    std::filesystem::path name;
    try {
        name = std::filesystem::u8path(path);
    } catch (const std::system_error&) {
        return nullptr;
    }
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(name.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

}  // namespace zemtool
