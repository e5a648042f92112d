// SPDX-License-Identifier: BSD-3-Clause
// The standard streams around a zemtool run: none of them may be missing
// when files are opened, and a failed write to standard output is an error.
#pragma once

#include <ostream>
#include <string>

namespace zemtool {

// Gives each of descriptors 0, 1 and 2 that is closed the null device, opened
// the wrong way round (standard input for writing, the others for reading), so
// that no file opened later takes its place and any use of it fails. Call it
// first in main().
void KeepStandardDescriptorsTaken();

// "cannot write to standard output: " and the system's reason for the last failure.
std::string StandardOutputFailure();

// Flushes `out`; when it (or an earlier write to it) failed and the run had
// succeeded so far, reports that on `err` and turns `status` into a failure.
int FinishStandardOutput(std::ostream& out, std::ostream& err, int status);

// The same for the process's standard output at exit: stdio's buffer flushed
// and the descriptor closed, so that a late failure still changes the status.
int CloseStandardOutput(std::ostream& err, int status);

}  // namespace zemtool
