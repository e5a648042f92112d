// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/std_streams.h"

#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/tool_failure.h"
#include "tools/zemtool/zemtool.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zemtool {
namespace {

std::string OutputFailure(int error) {
    return std::string("cannot write to standard output: ") + (error ? std::strerror(error) : "write failed");
}

int ReportOutputFailure(std::ostream& err, int error) {
    return ReportFailure(err, CODEC_WRITE_FAILED, OutputFailure(error));
}

}  // namespace

std::string StandardOutputFailure() { return OutputFailure(errno); }

void KeepStandardDescriptorsTaken() {
#ifndef _WIN32
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // The lowest free descriptor is `fd` itself: the ones below are open.
        open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
    }
#endif
}

int FinishStandardOutput(std::ostream& out, std::ostream& err, int status) {
    errno = 0;
    out.flush();
    if (out || status != ZEMTOOL_OK)
        return status;
    return ReportOutputFailure(err, errno);
}

int CloseStandardOutput(std::ostream& err, int status) {
    errno = 0;
    bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
#ifndef _WIN32
    // Some file systems report a failed write only when the file is closed.
    // The stream itself stays, so that the flush at exit finds it (empty).
    failed = failed || (close(STDOUT_FILENO) != 0 && errno != EBADF);
#endif
    if (!failed || status != ZEMTOOL_OK)
        return status;
    return ReportOutputFailure(err, errno);
}

}  // namespace zemtool
