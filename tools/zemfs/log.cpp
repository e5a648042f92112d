// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemfs/log.h"

#include <syslog.h>

#include <cstdio>

namespace zemfs {
namespace {

bool g_systemLog = false;

}  // namespace

void UseSystemLog(bool systemLog) {
    g_systemLog = systemLog;
    if (systemLog)
        openlog("zemfs", LOG_PID, LOG_USER);
}

void LogLine(const std::string& line) {
    if (g_systemLog)
        syslog(LOG_ERR, "%s", line.c_str());
    else
        std::fprintf(stderr, "zemfs: %s\n", line.c_str());
}

}  // namespace zemfs
