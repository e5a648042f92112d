// SPDX-License-Identifier: BSD-3-Clause
// The temporary files that an interrupted zemtool removes before it dies, one
// per thread that writes an output: on SIGINT, SIGTERM or SIGHUP (a console's
// Ctrl-C or close on Windows) the files named here are deleted and the signal
// then takes its usual course.
#pragma once

#include <string>

#ifndef _WIN32
#include <csignal>
#endif

namespace zemtool {

// From now on an interruption removes `path` (replacing any earlier name of
// the calling thread).
void RemoveOnInterrupt(const std::string& path);
// An interruption removes nothing of the calling thread's any more.
void KeepOnInterrupt();

// Holds interruptions back while it lives, so that a rename and the end of
// RemoveOnInterrupt happen together.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
#ifndef _WIN32
    sigset_t m_before;
#endif
};

}  // namespace zemtool
