// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/link_image.h"

#include <zem/zem.h>

namespace zemtool {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::string LinkImage(const std::string& link) {
    const long length = zem_link_read(link.c_str(), nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string image(static_cast<size_t>(length) + 1, '\0');
    if (zem_link_read(link.c_str(), &image[0], image.size(), nullptr, nullptr) != length)
        return {};
    image.resize(static_cast<size_t>(length));
    return image;
}

bool IsRemotePath(const std::string& path) { return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]); }

}  // namespace zemtool
