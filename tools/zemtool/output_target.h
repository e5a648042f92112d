// SPDX-License-Identifier: BSD-3-Clause
// What may be written where. An output must not be one of the command's
// inputs: writing it would destroy what is being read. The comparison is by
// file identity, so that another spelling, a symbolic link or a hard link to
// the input is refused as well.
#pragma once

#include <string>

namespace zemtool {

// Empty when `target` may be written; otherwise the message that refuses it.
// A link file's image counts as an input too. "-" is neither.
std::string RefuseInputAsOutput(const std::string& source, const std::string& target);

// Why a file could not be created at `path` (after the library failed to):
// a name too long for the library, a missing folder, no permission, a
// read-only or busy file... in the system's words where it has them. Looks,
// and tries an exclusive create that it undoes; never changes what exists.
std::string WhyCannotCreate(const std::string& path);

}  // namespace zemtool
