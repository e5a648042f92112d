// SPDX-License-Identifier: BSD-3-Clause
// Where zemfs reports what goes wrong while mounted: standard error when it
// runs in the foreground (-f), the system log otherwise (a daemon has no
// terminal), as FUSE file systems do.
#pragma once

#include <string>

namespace zemfs {

void UseSystemLog(bool systemLog);
void LogLine(const std::string& line);

}  // namespace zemfs
