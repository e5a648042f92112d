// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/source_access.h"

#include <vector>

namespace zemfs {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The rwx bits of one class, as the low three bits.
mode_t Owner(mode_t mode) { return (mode >> 6) & 7; }
mode_t Group(mode_t mode) { return (mode >> 3) & 7; }
mode_t Others(mode_t mode) { return mode & 7; }

}  // namespace

bool IsRemotePath(const std::string& path) { return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]); }

std::string NormalPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string normal;
    for (const std::string& part : parts)
        normal += "/" + part;
    return normal.empty() ? "/" : normal;
}

bool LiesInside(const std::string& root, const std::string& path) {
    if (path.empty() || path[0] != '/')
        return false;
    const std::string base = NormalPath(root);
    const std::string normal = NormalPath(path);
    if (base == "/" || normal == base)
        return true;
    return normal.size() > base.size() && normal.compare(0, base.size(), base) == 0 && normal[base.size()] == '/';
}

mode_t NarrowMode(const struct stat& shown, const struct stat& source) {
    const mode_t mode = source.st_mode;
    const bool sameOwner = shown.st_uid == source.st_uid;
    const bool sameGroup = shown.st_gid == source.st_gid;
    // Whoever is not the source's owner might still be in its group, or not.
    const mode_t notOwner = sameGroup ? Group(mode) : Group(mode) & Others(mode);
    const mode_t owner = sameOwner ? Owner(mode) : Group(mode) & Others(mode);
    // A member of the made file's group, or anyone else, may be the source's
    // owner when the owners differ.
    const mode_t ownerToo = sameOwner ? 7 : Owner(mode);
    const mode_t group = notOwner & ownerToo;
    const mode_t others = Others(mode) & (sameGroup ? 7 : Group(mode)) & ownerToo;
    const mode_t narrowed = (owner << 6) | (group << 3) | others;
    return (shown.st_mode & ~static_cast<mode_t>(0777)) | (shown.st_mode & narrowed & 0777);
}

}  // namespace zemfs
