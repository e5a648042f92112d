// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/convert/output_commit.h"

#include <filesystem>
#include <system_error>

namespace zemtool {

std::string CommitOutput(const std::string& path, const std::function<std::string(const std::string&)>& write) {
    const std::string temporary = path + ".partial";
    std::string problem = write(temporary);
    std::error_code error;
    if (problem.empty()) {
        std::filesystem::rename(std::filesystem::u8path(temporary), std::filesystem::u8path(path), error);
        if (error)
            problem = "cannot put the file in place: " + error.message();
    }
    if (!problem.empty())
        std::filesystem::remove(std::filesystem::u8path(temporary), error);
    return problem;
}

}  // namespace zemtool
