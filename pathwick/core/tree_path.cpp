// SPDX-License-Identifier: BSD-3-Clause
#include "pathwick/core/tree_path.h"

namespace pathwick {

std::vector<std::wstring> PathSteps(const std::wstring& path, const std::wstring& separator) {
    std::vector<std::wstring> steps;
    if (path.empty()) return steps;
    if (separator.empty()) return {path};
    size_t start = 0;
    while (true) {
        size_t next = path.find(separator, start);
        if (next == std::wstring::npos) break;
        steps.push_back(path.substr(0, next));
        start = next + separator.size();
    }
    steps.push_back(path);
    return steps;
}

}  // namespace pathwick
