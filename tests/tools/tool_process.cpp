// SPDX-License-Identifier: BSD-3-Clause
// zemtool as a process of its own (see zemtool_harness.h).
#ifndef _WIN32
#include "tests/tools/zemtool_harness.h"

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace tool_tests {
namespace {

// In the child: the descriptor `fd` as `stream` asks.
void Arrange(int fd, Stream stream, const std::string& capture) {
    if (stream == Stream::Closed) {
        close(fd);
        return;
    }
    const int opened = stream == Stream::DevFull ? open("/dev/full", O_WRONLY)
                                                 : open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(opened, fd);
    close(opened);
}

}  // namespace

ToolProcess::ToolProcess(const testing_support::TempDir& dir, const ProcessSetup& setup)
    : m_errPath(PathIn(dir, "process-err.txt")), m_outPath(PathIn(dir, "process-out.bin")) {
    std::vector<char*> argv{const_cast<char*>(ZEMTOOL_PROGRAM)};
    for (const std::string& arg : setup.args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        Arrange(STDOUT_FILENO, setup.out, m_outPath);
        Arrange(STDERR_FILENO, setup.err, m_errPath);
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, SIG_DFL);
        execv(argv[0], argv.data());
        _exit(127);
    }
    EXPECT_GT(m_pid, 0);
}

void ToolProcess::Signal(int signal) const { kill(m_pid, signal); }

bool ToolProcess::HasEnded() {
    if (!m_ended)
        m_ended = waitpid(m_pid, &m_status, WNOHANG) == m_pid;
    return m_ended;
}

ProcessResult ToolProcess::Wait() {
    if (!m_ended)
        m_ended = waitpid(m_pid, &m_status, 0) == m_pid;
    ProcessResult result;
    if (WIFEXITED(m_status))
        result.exitCode = WEXITSTATUS(m_status);
    if (WIFSIGNALED(m_status))
        result.signal = WTERMSIG(m_status);
    const testing_support::Bytes err = testing_support::ReadFileBytes(m_errPath);
    result.err.assign(err.begin(), err.end());
    unlink(m_errPath.c_str());
    unlink(m_outPath.c_str());
    return result;
}

ProcessResult RunToolProcess(const testing_support::TempDir& dir, const ProcessSetup& setup) {
    return ToolProcess(dir, setup).Wait();
}

}  // namespace tool_tests
#endif
