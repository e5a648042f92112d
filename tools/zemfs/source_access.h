// SPDX-License-Identifier: BSD-3-Clause
// What a made file may reach and whom it may show it to: an image named by a
// link file or a cue sheet must lie inside SOURCE and on this machine unless
// the mount allows otherwise, and a made file is shown with permissions no
// wider than those of every file it reads.
#pragma once

#include <sys/stat.h>

#include <string>

namespace zemfs {

// A network or device path as a link file or sheet may name it: two
// separators first (\\host\share\x, \\.\device, \\?\C:\x, //host/share/x).
bool IsRemotePath(const std::string& path);

// `path` (absolute) with its "." and ".." parts and repeated separators
// taken out, as far as the text goes (symbolic links are not followed).
std::string NormalPath(const std::string& path);

// True when the absolute `path`, normalised, is `root` (normalised) or lies under it.
bool LiesInside(const std::string& root, const std::string& path);

// The permission bits of `shown` (a made file's own status) narrowed so that
// no user gets more through it than `source` gives them: a user of the made
// file's class (owner, group, others) who might be in another class for
// `source` gets the least of the classes they might be in there.
mode_t NarrowMode(const struct stat& shown, const struct stat& source);

}  // namespace zemfs
