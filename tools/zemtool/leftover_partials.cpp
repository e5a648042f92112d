// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/leftover_partials.h"

#include <filesystem>
#include <map>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace zemtool {
namespace {

fs::path PathOf(const std::string& name) {
#ifdef _WIN32
    return fs::u8path(name);
#else
    return fs::path(name);
#endif
}

std::string NameOf(const fs::path& path) {
#ifdef _WIN32
    return path.u8string();
#else
    return path.string();
#endif
}

bool IsHexMark(const std::string& text) {
    return text.size() == 9 && text[0] == '.' && text.find_first_not_of("0123456789abcdef", 1) == std::string::npos;
}

}  // namespace

std::string PartialTarget(const std::string& name) {
    const std::string suffix = ".partial";
    const auto endsWith = [](const std::string& text, const std::string& end) {
        return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    if (!endsWith(name, suffix))
        return {};
    // A temporary file of a temporary file (the encoder's PCM beside
    // convert's stream) belongs to the output as well.
    std::string target = name;
    while (endsWith(target, suffix)) {
        target.erase(target.size() - suffix.size());
        if (target.size() > 9 && IsHexMark(target.substr(target.size() - 9)))
            target.erase(target.size() - 9);
        else if (endsWith(target, suffix + ".pcm"))
            target.erase(target.size() - 4);
    }
    return target;
}

int RemoveLeftoverPartials(const std::vector<std::string>& outputs) {
    std::map<fs::path, std::set<std::string>> byFolder;
    for (const std::string& output : outputs) {
        if (output.empty() || output == "-")
            continue;
        const fs::path path = PathOf(output);
        byFolder[path.parent_path().empty() ? fs::path(".") : path.parent_path()].insert(NameOf(path.filename()));
    }
    int removed = 0;
    for (const auto& [folder, names] : byFolder) {
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const std::string target = PartialTarget(NameOf(it->path().filename()));
            std::error_code ignored;
            if (!target.empty() && names.count(target) && it->is_regular_file(ignored) && fs::remove(it->path(), ignored))
                ++removed;
        }
    }
    return removed;
}

}  // namespace zemtool
